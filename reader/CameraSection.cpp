// Camera entries: each camera record is handed on as soon as it is read, the
// first of an import as the default camera.
#include <bit>

#include "reader/DefaultCamera.h"
#include "reader/FormatTags.h"
#include "reader/SceneReader.h"

namespace {
std::array<double, 3> PositionOf(const NodeTransform& transform)
{
    return {std::bit_cast<float>(transform.values[12]), std::bit_cast<float>(transform.values[13]),
            std::bit_cast<float>(transform.values[14])};
}
}  // namespace

void SceneReader::ReadCameraEntry()
{
    if (ReadTag() == tags::kCameraEntry) {
        NodeRecord node;
        node.nodeType = tags::kCameraEntry;
        ReadCamera(node);
    }
}

void SceneReader::ReadCamera(NodeRecord& node)
{
    ReadNameRecord(node.name);
    CameraRecord camera;
    camera.name = node.name;

    bool placed = false;
    if (ReadTag() == tags::kCameraPlacement) {
        placed = true;
        if (ReadTag() == tags::kCameraTarget)
            ReadTransform(camera.targetTransform);
        ReadTransform(camera.transform);
        ReadCameraSettings();
    }
    if (damaged_)
        return;

    // No placement: the view of the fixed default camera. A camera placed
    // without a target looks at the origin, which its unread (all-zero)
    // target transform holds.
    CameraView view{camera.name, kDefaultEye, kDefaultTarget, kCameraFov, camerasEmitted == 0, false};
    if (placed) {
        view.eye = PositionOf(camera.transform);
        view.target = PositionOf(camera.targetTransform);
    }
    destination_.Camera(view);
    ++camerasEmitted;

    ReadTag();   // closing tag, any value
}

// The settings record is read to stay in step; nothing uses its values.
void SceneReader::ReadCameraSettings()
{
    if (ReadTag() != tags::kCameraSettings)
        return;
    ReadTag();   // kind
    for (int i = 0; i < 6; ++i)
        ReadValue();
}
