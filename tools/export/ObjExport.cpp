#include "tools/export/ObjExport.h"

#include <charconv>
#include <cstring>
#include <set>
#include <vector>

#include "plugin/GbkText.h"
#include "tools/export/IndexedMesh.h"
#include "tools/export/MaterialMaps.h"
#include "tools/export/SceneImages.h"
#include "tools/export/TextureReference.h"

namespace {

// The shortest text that reads back as the same float.
void PutFloat(std::ostream& out, float value)
{
    char text[32];
    auto result = std::to_chars(text, text + sizeof text, value);
    out.write(text, result.ptr - text);
}

void PutColour(std::ostream& out, const char* keyword, const std::array<float, 3>& colour)
{
    out << keyword;
    for (float c : colour) {
        out << ' ';
        PutFloat(out, c);
    }
    out << '\n';
}

// Material names as tokens, kept apart by a number where two would meet.
std::vector<std::string> MaterialNames(const SceneModel& scene)
{
    std::vector<std::string> names;
    std::set<std::string> taken;
    for (size_t i = 0; i < scene.materials.size(); ++i) {
        const std::string base = ObjToken(GbkToUtf8(scene.materials[i].name),
                                          "material_" + std::to_string(i + 1));
        std::string name = base;
        for (int n = 2; !taken.insert(name).second; ++n)
            name = base + "_" + std::to_string(n);
        names.push_back(name);
    }
    return names;
}

struct MaterialImageFiles {
    std::string texture;   // relative to the .mtl; empty for none
    std::string bump;
};

// The images found, copied beside the .mtl; without them, the names as stored.
MaterialImageFiles ImageFilesOf(const SceneModel& scene, size_t index, const ExportOptions& options)
{
    if (options.images == nullptr) {
        const MaterialMapNames maps = MapNamesOf(scene.materials[index]);
        return {RelativeTexturePath(maps.texture), RelativeTexturePath(maps.bump)};
    }
    const SceneImages& images = *options.images;
    const SceneImages::Slots& slots = images.materials[index];
    auto fileName = [&](int slot) {
        return slot == SceneImages::kNone ? std::string() : images.images[static_cast<size_t>(slot)].fileName;
    };
    return {fileName(slots.texture), fileName(slots.bump)};
}

void WriteMaterial(std::ostream& mtl, const SceneMaterial& material, const std::string& name,
                   const MaterialImageFiles& files)
{
    mtl << "newmtl " << name << '\n';
    PutColour(mtl, "Ka", material.ambient);
    PutColour(mtl, "Kd", material.diffuse);
    PutColour(mtl, "Ks", material.specular);
    mtl << "d 1\nillum 2\n";
    if (!files.texture.empty())
        mtl << "map_Kd " << files.texture << '\n';
    if (!files.bump.empty())
        mtl << "map_bump " << files.bump << '\n';
    mtl << '\n';
}

}  // namespace

std::string ObjToken(const std::string& utf8, const std::string& fallback)
{
    std::string token = utf8;
    for (char& c : token) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= ' ' || byte == 0x7F)
            c = '_';
    }
    return token.empty() ? fallback : token;
}

void WriteObj(const SceneModel& scene, const ExportOptions& options, const std::string& mtlFileName,
              std::ostream& obj, std::ostream& mtl, ExportStats& stats)
{
    const std::vector<std::string> materialNames = MaterialNames(scene);
    mtl << "# " << options.generator << '\n';
    std::vector<MaterialImageFiles> imageFiles;
    for (size_t i = 0; i < scene.materials.size(); ++i) {
        imageFiles.push_back(ImageFilesOf(scene, i, options));
        WriteMaterial(mtl, scene.materials[i], materialNames[i], imageFiles.back());
    }

    obj << "# " << options.generator << '\n';
    if (!scene.materials.empty())
        obj << "mtllib " << mtlFileName << '\n';
    // OBJ counts vertices and texture coordinates from 1 across the file.
    uint64_t firstVertex = 1;
    uint64_t firstTexCoord = 1;
    for (size_t i = 0; i < scene.objects.size(); ++i) {
        const SceneObject& object = scene.objects[i];
        const bool textured = !imageFiles[static_cast<size_t>(object.material)].texture.empty();
        const IndexedMesh mesh = BuildIndexedMesh(object, options.axes, textured);
        stats.trianglesDropped += mesh.trianglesDropped;
        obj << "o object_" << (i + 1) << '\n';
        for (size_t v = 0; v < mesh.positions.size(); v += 3) {
            obj << 'v';
            for (size_t c = 0; c < 3; ++c) {
                obj << ' ';
                PutFloat(obj, mesh.positions[v + c]);
            }
            obj << '\n';
        }
        // OBJ's v runs up the image, glTF's down.
        for (size_t t = 0; t < mesh.texCoords.size(); t += 2) {
            obj << "vt ";
            PutFloat(obj, mesh.texCoords[t]);
            obj << ' ';
            PutFloat(obj, -mesh.texCoords[t + 1]);
            obj << '\n';
        }
        obj << "usemtl " << materialNames[static_cast<size_t>(object.material)] << '\n';
        for (size_t t = 0; t < mesh.indices.size(); t += 3) {
            obj << 'f';
            for (size_t c = 0; c < 3; ++c) {
                obj << ' ' << firstVertex + mesh.indices[t + c];
                if (textured)
                    obj << '/' << firstTexCoord + mesh.indices[t + c];
            }
            obj << '\n';
        }
        if (textured)
            firstTexCoord += mesh.vertexCount();
        firstVertex += mesh.vertexCount();
        stats.triangles += mesh.indices.size() / 3;
        stats.vertices += mesh.vertexCount();
    }
}
