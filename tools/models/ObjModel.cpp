#include "tools/models/ObjModel.h"

#include <algorithm>
#include <map>
#include <memory>

#include <tiny_obj_loader.h>

#include "tools/models/ModelImages.h"

namespace {

// The faces of one object in one material, naming points of the file's
// one list of points.
class ObjPart final : public SourceMesh {
public:
    ObjPart(const std::vector<tinyobj::real_t>& points, std::vector<uint32_t> corners)
        : points_(points), corners_(std::move(corners))
    {
    }
    uint64_t pointCount() const override { return points_.size() / 3; }
    void ReadPoints(uint64_t first, size_t count, double* xyz) const override
    {
        for (size_t i = 0; i < count * 3; ++i)
            xyz[i] = points_[first * 3 + i];
    }
    uint64_t triangleCount() const override { return corners_.size() / 3; }
    void ReadTriangles(uint64_t first, size_t count, uint32_t* corners) const override
    {
        std::copy_n(corners_.begin() + static_cast<ptrdiff_t>(first * 3), count * 3, corners);
    }
    bool keepsOnlyUsedPoints() const override { return true; }

private:
    const std::vector<tinyobj::real_t>& points_;
    std::vector<uint32_t> corners_;
};

kvdfile::Colour Colour(const tinyobj::real_t (&c)[3])
{
    return {std::clamp(c[0], 0.0f, 1.0f), std::clamp(c[1], 0.0f, 1.0f), std::clamp(c[2], 0.0f, 1.0f)};
}

}  // namespace

ModelReadResult ReadObjFile(const std::filesystem::path& path)
{
    auto reader = std::make_shared<tinyobj::ObjReader>();
    tinyobj::ObjReaderConfig config;
    config.triangulate = true;
    config.vertex_color = false;
    const std::filesystem::path folder = path.parent_path().empty() ? "." : path.parent_path();
    config.mtl_search_path = folder.string();
    if (!reader->ParseFromFile(path.string(), config)) {
        std::string why = reader->Error();
        while (!why.empty() && (why.back() == '\n' || why.back() == ' '))
            why.pop_back();
        return {std::nullopt, "not an OBJ file kvd convert reads: " + (why.empty() ? std::string("no reason given") : why)};
    }
    ModelScene model;
    model.keepAlive.push_back(reader);
    const std::vector<tinyobj::real_t>& points = reader->GetAttrib().vertices;
    const std::vector<tinyobj::material_t>& materials = reader->GetMaterials();
    std::string warning = reader->Warning();
    while (!warning.empty() && warning.back() == '\n')
        warning.pop_back();
    if (!warning.empty())
        model.Warn(warning);

    std::vector<int> materialNumber(materials.size(), -1);
    auto useMaterial = [&](int index, kvdfile::MeshHead& head) {
        if (index < 0 || static_cast<size_t>(index) >= materials.size()) {
            head.material = kvdfile::MeshHead::kOwnColour;
            return;
        }
        int& number = materialNumber[static_cast<size_t>(index)];
        if (number < 0) {
            const tinyobj::material_t& source = materials[static_cast<size_t>(index)];
            kvdfile::MaterialToWrite material;
            material.name = source.name;
            material.diffuse = Colour(source.diffuse);
            material.ambient = Colour(source.ambient);
            // A black ambient colour is what many exporters write for "none".
            if (material.ambient == kvdfile::Colour{0.0f, 0.0f, 0.0f})
                material.ambient = material.diffuse;
            material.specular = Colour(source.specular);
            material.shininess = std::clamp(source.shininess / 10.0f, 0.0f, 100.0f);
            number = static_cast<int>(model.scene.materials.size());
            if (!source.diffuse_texname.empty()) {
                if (std::optional<ModelImage> image = LoadModelImage(folder, source.diffuse_texname, model)) {
                    model.imageMaps.push_back({static_cast<size_t>(number), model.images.size(),
                                               kvdfile::MapRole::Colour, {}});
                    model.images.push_back(std::move(*image));
                }
            }
            model.scene.materials.push_back(std::move(material));
        }
        head.material = number;
    };

    for (const tinyobj::shape_t& shape : reader->GetShapes()) {
        if (!shape.lines.indices.empty() || !shape.points.indices.empty())
            model.Warn("points and lines are left out: a kvd scene holds triangles only");
        // The faces of each material, in the order the materials first come.
        std::vector<int> order;
        std::map<int, std::vector<uint32_t>> parts;
        const tinyobj::mesh_t& mesh = shape.mesh;
        size_t corner = 0;
        for (size_t face = 0; face < mesh.num_face_vertices.size(); ++face) {
            const size_t count = mesh.num_face_vertices[face];
            if (corner + count > mesh.indices.size())
                break;
            const int material = face < mesh.material_ids.size() ? mesh.material_ids[face] : -1;
            if (count == 3) {
                auto [part, made] = parts.try_emplace(material);
                if (made)
                    order.push_back(material);
                for (size_t c = 0; c < 3; ++c) {
                    const int index = mesh.indices[corner + c].vertex_index;
                    part->second.push_back(index < 0 ? UINT32_MAX : static_cast<uint32_t>(index));
                }
            }
            corner += count;
        }
        kvdfile::NodeToWrite group;
        group.name = shape.name.empty() ? "object" : shape.name;
        for (int material : order) {
            model.meshes.push_back(std::make_unique<ObjPart>(points, std::move(parts[material])));
            MeshInstance instance;
            instance.mesh = model.meshes.back().get();
            instance.head.name = group.name;
            useMaterial(material, instance.head);
            kvdfile::NodeToWrite node;
            node.name = group.name;
            node.mesh = static_cast<int64_t>(model.instances.size());
            model.instances.push_back(std::move(instance));
            group.children.push_back(std::move(node));
        }
        if (group.children.size() == 1)
            model.scene.roots.push_back(std::move(group.children[0]));
        else if (!group.children.empty())
            model.scene.roots.push_back(std::move(group));
    }
    return {std::move(model), {}};
}
