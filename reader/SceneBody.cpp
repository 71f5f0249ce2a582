// The scene body after the header: materials, the two counts, cameras or the
// fixed default camera, the camera section's end tag, then the objects.
#include "convert/MaterialConversion.h"
#include "reader/DefaultCamera.h"
#include "reader/FormatTags.h"
#include "reader/SceneReader.h"
#include "reader/UserTexts.h"

void SceneReader::ReadSceneBody()
{
    MaterialList materials;
    ReadMaterialSection(materials);
    if (damaged_)
        return;
    ConvertMaterials(materials, hostMaterials);
    destination_.Materials(materials, hostMaterials);
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
        messages_.ShowMessage(texts::kCameraSectionError);

    for (uint32_t i = 0; i < objectCount && !damaged_; ++i)
        ReadNode();
}

// Given as the default camera; camerasEmitted stays 0.
void SceneReader::SetDefaultCamera()
{
    destination_.Camera(CameraView{texts::kDefaultCameraName, kDefaultEye, kDefaultTarget, kCameraFov, true});
}
