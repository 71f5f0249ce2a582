#include "library/ItemViews.h"

#include <algorithm>

namespace {
kvd_texture ViewTexture(const LoadedTexture& texture)
{
    return {texture.name.c_str(), texture.found ? texture.found->c_str() : nullptr};
}

kvd_message_code MessageCode(ImportMessage message)
{
    switch (message) {
    case ImportMessage::FileDamaged:
        return KVD_MESSAGE_FILE_DAMAGED;
    case ImportMessage::NotKvdFile:
        return KVD_MESSAGE_NOT_KVD_FILE;
    case ImportMessage::CameraSectionEnd:
        return KVD_MESSAGE_CAMERA_SECTION_END;
    case ImportMessage::ImportDeclined:
        break;
    }
    return KVD_MESSAGE_IMPORT_DECLINED;
}
}  // namespace

void ViewMaterial(const LoadedMaterial& loaded, kvd_material& material)
{
    material.name = loaded.name.c_str();
    std::copy(loaded.ambient.begin(), loaded.ambient.end(), material.ambient);
    std::copy(loaded.diffuse.begin(), loaded.diffuse.end(), material.diffuse);
    std::copy(loaded.specular.begin(), loaded.specular.end(), material.specular);
    material.shininess = loaded.shininess;
    material.texture = ViewTexture(loaded.texture);
    material.bump = ViewTexture(loaded.bump);
}

void ViewCamera(const LoadedCamera& loaded, bool isDefault, kvd_camera& camera)
{
    camera.name = loaded.name.c_str();
    std::copy(loaded.eye.begin(), loaded.eye.end(), camera.eye);
    std::copy(loaded.target.begin(), loaded.target.end(), camera.target);
    camera.fov = loaded.fov;
    camera.is_default = isDefault ? 1 : 0;
    camera.is_fixed = loaded.isFixed ? 1 : 0;
}

void ViewMesh(const LoadedMesh& loaded, kvd_mesh& mesh)
{
    mesh.name = loaded.name.c_str();
    mesh.material = loaded.material;
    std::copy(loaded.colour.begin(), loaded.colour.end(), mesh.colour);
    mesh.point_count = loaded.pointCount;
    mesh.points = loaded.points.empty() ? nullptr : loaded.points.data();
    mesh.triangle_count = loaded.triangleCount;
    mesh.triangles = loaded.triangles.empty() ? nullptr : loaded.triangles.data();
    mesh.node = loaded.node;
}

void ViewNode(const LoadedNode& loaded, kvd_node& node)
{
    node.name = loaded.name.c_str();
    node.parent = loaded.parent;
    node.mesh = loaded.mesh;
}

void ViewMessage(const LoadedMessage& loaded, kvd_message& message)
{
    message.code = MessageCode(loaded.code);
    message.text = loaded.text.c_str();
    message.meaning = MessageMeaning(loaded.code);
}
