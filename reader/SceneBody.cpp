// The scene body after the header: materials, the two counts, cameras or the
// fixed default camera, the camera section's end tag, then the objects.
#include "reader/DefaultCamera.h"
#include "reader/FormatTags.h"
#include "reader/SceneReader.h"

void SceneReader::ReadSceneBody()
{
    MaterialList materials;
    ReadMaterialSection(materials);
    if (damaged_)
        return;
    fileMaterialCount_ = materials.size();
    destination_.Materials(materials);
    camerasEmitted = 0;

    // Both counts come before the cameras, the object count first.
    uint32_t objectCount = ReadTag();
    uint32_t cameraCount = ReadTag();
    if (cameraCount != 0) {
        for (uint32_t i = 0; i < cameraCount && !damaged_; ++i)
            ReadCameraEntry();
    } else if (!damaged_) {
        SetDefaultCamera();
    }

    uint16_t endTag = ReadTag();
    if (damaged_)
        return;
    if (endTag != tags::kCameraSectionEnd)
        messages_.ShowMessage(ImportMessage::CameraSectionEnd);

    for (uint32_t i = 0; i < objectCount && !damaged_; ++i)
        ReadNode();
}

// Given as the default camera; camerasEmitted stays 0.
void SceneReader::SetDefaultCamera()
{
    destination_.Camera(CameraView{kDefaultCameraName, kDefaultEye, kDefaultTarget, kCameraFov, true, true});
}
