#include "library/SceneSaving.h"

#include <algorithm>

#include "reader/DefaultCamera.h"
#include "writer/ArrayMeshFeed.h"

namespace {

kvdfile::MaterialToWrite MaterialToWrite(const LoadedMaterial& loaded)
{
    kvdfile::MaterialToWrite material;
    material.name = loaded.name;
    material.ambient = loaded.ambient;
    material.diffuse = loaded.diffuse;
    material.specular = loaded.specular;
    material.shininess = loaded.shininess;
    if (!loaded.texture.name.empty())
        material.maps.push_back({kvdfile::MapRole::Colour, loaded.texture.name});
    if (!loaded.bump.name.empty())
        material.maps.push_back({kvdfile::MapRole::Bump, loaded.bump.name});
    return material;
}

kvdfile::Point ToPoint(const std::array<double, 3>& p)
{
    return {static_cast<float>(p[0]), static_cast<float>(p[1]), static_cast<float>(p[2])};
}

kvdfile::CameraToWrite CameraToWrite(const LoadedCamera& loaded)
{
    kvdfile::CameraToWrite camera;
    camera.name = loaded.name;
    // A camera read without a placement shows the fixed view; written
    // without one it comes back with that view exactly, which float
    // coordinates could not hold.
    camera.placed = !(loaded.eye == kDefaultEye && loaded.target == kDefaultTarget);
    camera.eye = ToPoint(loaded.eye);
    camera.target = ToPoint(loaded.target);
    return camera;
}

}  // namespace

kvdfile::WriteResult SaveScene(const kvd_scene& scene, kvdfile::ByteOutput& out)
{
    kvdfile::SceneToWrite description;
    for (const LoadedMaterial& material : scene.materials)
        description.materials.push_back(MaterialToWrite(material));
    for (const LoadedCamera& camera : scene.cameras) {
        if (!camera.isFixed)
            description.cameras.push_back(CameraToWrite(camera));
    }

    // The tree from the flat list, in which a parent comes before its
    // children: from the last node back, each node (its children complete)
    // moves into its parent, so children gather last first.
    std::vector<kvdfile::NodeToWrite> nodes(scene.nodes.size());
    for (size_t i = 0; i < scene.nodes.size(); ++i) {
        nodes[i].name = scene.nodes[i].name;
        if (scene.nodes[i].mesh != KVD_NO_MESH)
            nodes[i].mesh = static_cast<int64_t>(scene.nodes[i].mesh);
    }
    auto isRoot = [&](size_t i) { return scene.nodes[i].parent == KVD_NO_PARENT || scene.nodes[i].parent >= i; };
    for (size_t i = scene.nodes.size(); i-- > 0;) {
        std::reverse(nodes[i].children.begin(), nodes[i].children.end());
        if (!isRoot(i))
            nodes[scene.nodes[i].parent].children.push_back(std::move(nodes[i]));
    }
    for (size_t i = 0; i < scene.nodes.size(); ++i) {
        if (isRoot(i))
            description.roots.push_back(std::move(nodes[i]));
    }

    std::vector<kvdfile::MeshArrays> meshes;
    meshes.reserve(scene.meshes.size());
    for (const LoadedMesh& mesh : scene.meshes)
        meshes.push_back({mesh.name, mesh.material, mesh.colour, mesh.points, mesh.triangles});
    kvdfile::ArrayMeshFeed feed(std::move(meshes));
    return kvdfile::WriteKvdScene(description, feed, out);
}
