// Camera entries: each camera record reaches the host as soon as it is read,
// the first of an import as the default camera.
#include <bit>

#include "host/SceneBuilder.h"
#include "reader/FormatTags.h"
#include "reader/SceneReader.h"
#include "reader/TextFit.h"

namespace {
void SetFromPosition(Point3d& point, const NodeTransform& transform)
{
    point.set(std::bit_cast<float>(transform.values[12]),
              std::bit_cast<float>(transform.values[13]),
              std::bit_cast<float>(transform.values[14]));
}
}  // namespace

void SceneReader::ReadCameraEntry()
{
    NodeRecord node;
    node.nodeType = ReadTag();
    if (node.nodeType == tags::kCameraEntry)
        ReadCamera(node);
}

void SceneReader::ReadCamera(NodeRecord& node)
{
    ReadNameRecord(node.name, node.secondaryName);
    CameraRecord camera;
    camera.name = node.name;

    bool placed = false;
    if (ReadTag() == tags::kCameraPlacement) {
        placed = true;
        if (ReadTag() == tags::kCameraTarget)
            ReadTransform(camera.targetTransform);
        ReadTransform(camera.transform);
        ReadCameraSettings(camera.settings);
    }
    if (damaged_)
        return;

    Point3d eye;
    Point3d target;
    if (placed) {
        SetFromPosition(eye, camera.transform);
        SetFromPosition(target, camera.targetTransform);
    } else {
        // No placement: the view of the fixed default camera. A camera placed
        // without a target looks at the origin, which its unread (all-zero)
        // target transform holds.
        eye.set(kDefaultEye[0], kDefaultEye[1], kDefaultEye[2]);
        target.set(kDefaultTarget[0], kDefaultTarget[1], kDefaultTarget[2]);
    }

    char nameBuffer[32];
    CopyTextToField(camera.name, nameBuffer, sizeof nameBuffer);
    if (camerasEmitted == 0)
        GB_SetDefaultCamera(nameBuffer, eye, target, kCameraFov);
    else
        GB_AddCamera(nameBuffer, eye, target, kCameraFov);
    ++camerasEmitted;

    ReadTag();   // closing tag, any value
}

void SceneReader::ReadCameraSettings(CameraSettings& settings)
{
    if (ReadTag() != tags::kCameraSettings)
        return;
    settings.kind = ReadTag();
    for (uint32_t& parameter : settings.parameters)
        parameter = ReadValue();
}
