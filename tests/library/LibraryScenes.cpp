#include "tests/library/LibraryScenes.h"

#include <cstring>
#include <fstream>
#include <stdexcept>

#include "tests/support/WholeScenes.h"
#include "tests/tool/ConvertScenes.h"

namespace fs = std::filesystem;

std::vector<TestScene> WriteLibraryScenes(const fs::path& folder)
{
    const fs::path samples = KVD_SAMPLES_DIR;
    std::vector<TestScene> scenes = {{"house", samples / "house.kvd"}, {"triangle", samples / "triangle.kvd"}};

    const fs::path converted = folder / "convert";
    fs::create_directories(converted);
    const std::string failed = WriteConvertSceneFiles(converted, samples);
    if (!failed.empty())
        throw std::runtime_error(failed);
    for (const ConvertScene& scene : ConvertScenes())
        scenes.push_back({scene.name, converted / (scene.name + ".kvd")});

    const fs::path whole = folder / "whole";
    fs::create_directories(whole);
    for (const NamedScene& scene : WholeScenes()) {
        const std::vector<uint8_t> bytes = kvdwriter::SceneBytes(scene.scene);
        const fs::path path = whole / (scene.name + ".kvd");
        kvdwriter::WriteBytesToFile(path.string(), bytes);
        scenes.push_back({"whole-" + scene.name, path});
        // Cut in the header, in the materials, and at the middle and near the end of the body.
        for (const size_t cut : {size_t{5}, bytes.size() / 4, bytes.size() / 2, bytes.size() - 1}) {
            if (cut == 0 || cut >= bytes.size())
                continue;
            const std::string name = scene.name + "-cut" + std::to_string(cut);
            const fs::path cutPath = whole / (name + ".kvd");
            kvdwriter::WriteBytesToFile(cutPath.string(), std::vector<uint8_t>(bytes.begin(), bytes.begin() + cut));
            scenes.push_back({"cut-" + name, cutPath});
        }
    }

    const fs::path other = folder / "other";
    fs::create_directories(other / "a-folder.kvd");
    std::ofstream(other / "empty.kvd", std::ios::binary).flush();
    scenes.push_back({"empty", other / "empty.kvd"});
    scenes.push_back({"image", samples / "wood.jpg"});
    scenes.push_back({"folder", other / "a-folder.kvd"});
    scenes.push_back({"missing", other / "not-there.kvd"});
    return scenes;
}

namespace {
uint32_t Bits(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

uint64_t Bits(double value)
{
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}
}  // namespace

MeshCopy CopyMesh(const kvd_mesh& mesh)
{
    MeshCopy copy{mesh.name, mesh.material, {Bits(mesh.colour[0]), Bits(mesh.colour[1]), Bits(mesh.colour[2])},
                  mesh.point_count, mesh.triangle_count, mesh.node, {}, {}};
    if (mesh.points != nullptr) {
        copy.pointBits.resize(mesh.point_count * 3);
        std::memcpy(copy.pointBits.data(), mesh.points, mesh.point_count * 3 * sizeof(float));
    }
    if (mesh.triangles != nullptr)
        copy.triangles.assign(mesh.triangles, mesh.triangles + mesh.triangle_count * 3);
    return copy;
}

namespace {
std::optional<std::string> Found(const char* found)
{
    return found != nullptr ? std::optional<std::string>(found) : std::nullopt;
}
}  // namespace

SceneCopy CopyScene(const kvd_scene* scene)
{
    SceneCopy copy;
    copy.result = kvd_scene_result(scene);
    for (size_t i = 0; i < kvd_material_count(scene); ++i) {
        kvd_material m;
        kvd_get_material(scene, i, &m);
        MaterialCopy& c = copy.materials.emplace_back();
        c.name = m.name;
        for (int k = 0; k < 3; ++k) {
            c.colours[k] = Bits(m.ambient[k]);
            c.colours[3 + k] = Bits(m.diffuse[k]);
            c.colours[6 + k] = Bits(m.specular[k]);
        }
        c.shininess = Bits(m.shininess);
        c.texture = m.texture.name;
        c.bump = m.bump.name;
        c.textureFound = Found(m.texture.found);
        c.bumpFound = Found(m.bump.found);
    }
    for (size_t i = 0; i < kvd_camera_count(scene); ++i) {
        kvd_camera m;
        kvd_get_camera(scene, i, &m);
        copy.cameras.push_back({m.name,
                                {Bits(m.eye[0]), Bits(m.eye[1]), Bits(m.eye[2]), Bits(m.target[0]),
                                 Bits(m.target[1]), Bits(m.target[2])},
                                Bits(m.fov),
                                m.is_default,
                                m.is_fixed});
    }
    for (size_t i = 0; i < kvd_mesh_count(scene); ++i) {
        kvd_mesh m;
        kvd_get_mesh(scene, i, &m);
        copy.meshes.push_back(CopyMesh(m));
    }
    for (size_t i = 0; i < kvd_node_count(scene); ++i) {
        kvd_node m;
        kvd_get_node(scene, i, &m);
        copy.nodes.push_back({m.name, m.parent, m.mesh});
    }
    for (size_t i = 0; i < kvd_message_count(scene); ++i) {
        kvd_message m;
        kvd_get_message(scene, i, &m);
        copy.messages.push_back({m.code, m.text, m.meaning});
    }
    return copy;
}

namespace {
template <class Items>
std::string ListDifference(const char* what, const Items& a, const Items& b)
{
    if (a.size() != b.size())
        return std::string(what) + ": " + std::to_string(a.size()) + " against " + std::to_string(b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        if (!(a[i] == b[i]))
            return std::string(what) + " " + std::to_string(i) + " differs";
    }
    return {};
}
}  // namespace

std::string FirstDifference(const SceneCopy& a, const SceneCopy& b)
{
    if (a.result != b.result)
        return "result " + std::to_string(a.result) + " against " + std::to_string(b.result);
    for (const std::string& difference :
         {ListDifference("material", a.materials, b.materials), ListDifference("camera", a.cameras, b.cameras),
          ListDifference("mesh", a.meshes, b.meshes), ListDifference("node", a.nodes, b.nodes),
          ListDifference("message", a.messages, b.messages)}) {
        if (!difference.empty())
            return difference;
    }
    return {};
}
