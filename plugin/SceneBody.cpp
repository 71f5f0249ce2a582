// The scene body after the header: materials, the two counts, cameras or the
// fixed default camera, the camera section's end tag, then the objects.
#include <algorithm>
#include <iterator>

#include "convert/MaterialConversion.h"
#include "host/SceneBuilder.h"
#include "reader/FormatTags.h"
#include "reader/SceneReader.h"

void SceneReader::ReadSceneBody()
{
    MaterialList materials;
    ReadMaterialSection(materials);
    if (damaged_)
        return;
    ConvertMaterials(materials, hostMaterials);
    camerasEmitted = 0;

    // Both counts come before the cameras, the object count first.
    uint32_t objectCount = ReadTag();
    NodeList topLevel;
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
        ReadNode(topLevel);
}

void SceneReader::SetDefaultCamera()
{
    Point3d eye;
    Point3d target;
    eye.set(kDefaultEye[0], kDefaultEye[1], kDefaultEye[2]);
    target.set(kDefaultTarget[0], kDefaultTarget[1], kDefaultTarget[2]);
    char name[sizeof texts::kDefaultCameraName];
    std::copy(std::begin(texts::kDefaultCameraName), std::end(texts::kDefaultCameraName), name);
    GB_SetDefaultCamera(name, eye, target, kCameraFov);
}
