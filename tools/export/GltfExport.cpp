#include "tools/export/GltfExport.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

#include "plugin/GbkText.h"
#include "tools/export/CameraPose.h"
#include "tools/export/IndexedMesh.h"
#include "tools/export/MaterialMaps.h"
#include "tools/export/SceneImages.h"
#include "tools/export/TextureReference.h"
#include "tools/scene/Bounds.h"

namespace {

constexpr int kArrayBuffer = 34962;
constexpr int kElementArrayBuffer = 34963;
constexpr int kTriangles = 4;
// Indices may not hold the largest value of their type (primitive restart).
constexpr size_t kMaxShortIndexedVertices = 65535;

// glTF colour factors lie in [0, 1]; a value the file holds outside it (or
// not a number) is brought to the nearest end. The stored values stay in
// the material's extras.
double UnitInterval(float value)
{
    if (std::isnan(value))
        return 0.0;
    return std::clamp(static_cast<double>(value), 0.0, 1.0);
}

std::string Base64(const std::vector<unsigned char>& bytes)
{
    static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const size_t left = bytes.size() - i;
        const uint32_t group = (uint32_t{bytes[i]} << 16) | (left > 1 ? uint32_t{bytes[i + 1]} << 8 : 0) |
                               (left > 2 ? uint32_t{bytes[i + 2]} : 0);
        text.push_back(kDigits[(group >> 18) & 63]);
        text.push_back(kDigits[(group >> 12) & 63]);
        text.push_back(left > 1 ? kDigits[(group >> 6) & 63] : '=');
        text.push_back(left > 2 ? kDigits[group & 63] : '=');
    }
    return text;
}

tinygltf::Value ColourValue(const std::array<float, 3>& colour)
{
    return tinygltf::Value(tinygltf::Value::Array{tinygltf::Value(static_cast<double>(colour[0])),
                                                  tinygltf::Value(static_cast<double>(colour[1])),
                                                  tinygltf::Value(static_cast<double>(colour[2]))});
}

class GltfBuilder {
public:
    GltfBuilder(const SceneModel& scene, const ExportOptions& options, bool binary, ExportStats& stats)
        : scene_(scene), options_(options), binary_(binary), stats_(stats)
    {
    }

    tinygltf::Model Build()
    {
        model_.asset.version = "2.0";
        model_.asset.generator = options_.generator;
        for (size_t i = 0; i < scene_.materials.size(); ++i)
            AddMaterial(scene_.materials[i], i);
        for (size_t i = 0; i < scene_.objects.size(); ++i)
            AddObject(scene_.objects[i], i);
        for (const SceneCamera& camera : scene_.cameras)
            AddCamera(camera);
        if (!buffer_.empty()) {
            tinygltf::Buffer buffer;
            buffer.data = std::move(buffer_);
            model_.buffers.push_back(std::move(buffer));
        }
        if (!model_.nodes.empty()) {
            tinygltf::Scene gltfScene;
            for (size_t i = 0; i < model_.nodes.size(); ++i)
                gltfScene.nodes.push_back(static_cast<int>(i));
            model_.scenes.push_back(std::move(gltfScene));
            model_.defaultScene = 0;
        }
        return std::move(model_);
    }

private:
    // The texture of an image file name, shared by every material naming it.
    int TextureFor(const std::string& uri)
    {
        auto [where, inserted] = textures_.try_emplace(uri, static_cast<int>(model_.textures.size()));
        if (inserted) {
            tinygltf::Image image;
            image.uri = uri;
            model_.images.push_back(std::move(image));
            tinygltf::Texture texture;
            texture.source = static_cast<int>(model_.images.size()) - 1;
            model_.textures.push_back(std::move(texture));
        }
        return where->second;
    }

    // The texture of a found image, shared by every material using it. In a
    // .glb the image is in the binary chunk, in a .gltf a data URI or a file
    // beside it.
    int TextureForImage(int slot)
    {
        auto [where, inserted] = imageTextures_.try_emplace(slot, static_cast<int>(model_.textures.size()));
        if (!inserted)
            return where->second;
        const OutputImage& source = options_.images->images[static_cast<size_t>(slot)];
        tinygltf::Image image;
        image.name = source.fileName;
        if (binary_) {
            image.mimeType = source.packed.mimeType;
            image.bufferView = AddBufferView(source.packed.bytes.data(), source.packed.bytes.size(), 0);
        } else if (options_.dataUris) {
            image.uri = "data:" + source.packed.mimeType + ";base64," + Base64(source.packed.bytes);
        } else {
            image.uri = PathToUri(source.fileName);
        }
        model_.images.push_back(std::move(image));
        tinygltf::Texture texture;
        texture.source = static_cast<int>(model_.images.size()) - 1;
        model_.textures.push_back(std::move(texture));
        return where->second;
    }

    // With images found: only those go in; a map without one is left out.
    void AddFoundTextures(size_t index, tinygltf::Material& material, tinygltf::Value::Object& extras)
    {
        const SceneImages::Slots& slots = options_.images->materials[index];
        if (slots.texture != SceneImages::kNone)
            material.pbrMetallicRoughness.baseColorTexture.index = TextureForImage(slots.texture);
        if (slots.bump != SceneImages::kNone) {
            tinygltf::Value::Object bump;
            bump["index"] = tinygltf::Value(TextureForImage(slots.bump));
            if (!binary_ && !options_.dataUris) {
                const OutputImage& image = options_.images->images[static_cast<size_t>(slots.bump)];
                bump["uri"] = tinygltf::Value(PathToUri(image.fileName));
            }
            extras["bumpTexture"] = tinygltf::Value(std::move(bump));
        }
    }

    // Without images: references to the names as stored, relative to the output.
    void AddTextureReferences(const MaterialMapNames& maps, tinygltf::Material& material,
                              tinygltf::Value::Object& extras)
    {
        if (!maps.texture.empty())
            material.pbrMetallicRoughness.baseColorTexture.index =
                TextureFor(PathToUri(RelativeTexturePath(maps.texture)));
        if (!maps.bump.empty()) {
            tinygltf::Value::Object bump;
            bump["uri"] = tinygltf::Value(PathToUri(RelativeTexturePath(maps.bump)));
            extras["bumpTexture"] = tinygltf::Value(std::move(bump));
        }
    }

    void AddMaterial(const SceneMaterial& source, size_t index)
    {
        tinygltf::Material material;
        material.name = GbkToUtf8(source.name);
        material.pbrMetallicRoughness.baseColorFactor = {UnitInterval(source.diffuse[0]),
                                                         UnitInterval(source.diffuse[1]),
                                                         UnitInterval(source.diffuse[2]), 1.0};
        // The host's materials are plain coloured surfaces, not metals.
        material.pbrMetallicRoughness.metallicFactor = 0.0;
        material.pbrMetallicRoughness.roughnessFactor = 1.0;

        tinygltf::Value::Object extras;
        extras["ambientColor"] = ColourValue(source.ambient);
        extras["diffuseColor"] = ColourValue(source.diffuse);
        extras["specularColor"] = ColourValue(source.specular);
        extras["scalar1"] = tinygltf::Value(source.scalar1);
        extras["shadeCode"] = tinygltf::Value(source.shadeCode);
        extras["reserved2"] = tinygltf::Value(source.reserved2);

        const MaterialMapNames maps = MapNamesOf(source);
        if (!maps.texture.empty())
            extras["firstTexture"] = tinygltf::Value(GbkToUtf8(maps.texture));
        if (!maps.bump.empty())
            extras["secondTexture"] = tinygltf::Value(GbkToUtf8(maps.bump));
        // A bump (height) image is not a normal map: it is kept in extras as a
        // texture (or a reference) that tools can follow, not wired into
        // normalTexture.
        if (options_.images != nullptr)
            AddFoundTextures(index, material, extras);
        else
            AddTextureReferences(maps, material, extras);
        material.extras = tinygltf::Value(std::move(extras));
        model_.materials.push_back(std::move(material));
    }

    int AddBufferView(const void* data, size_t size, int target)
    {
        // Every view starts 4-byte aligned, as float and index data need.
        buffer_.resize((buffer_.size() + 3) & ~size_t{3}, 0);
        tinygltf::BufferView view;
        view.buffer = 0;
        view.byteOffset = buffer_.size();
        view.byteLength = size;
        view.target = target;   // 0 for an image: no target
        const auto* bytes = static_cast<const unsigned char*>(data);
        buffer_.insert(buffer_.end(), bytes, bytes + size);
        model_.bufferViews.push_back(view);
        return static_cast<int>(model_.bufferViews.size()) - 1;
    }

    // A float accessor over values, count items of components each.
    int AddFloatAccessor(const std::vector<float>& values, size_t count, int type)
    {
        tinygltf::Accessor accessor;
        accessor.bufferView = AddBufferView(values.data(), values.size() * sizeof(float), kArrayBuffer);
        accessor.componentType = TINYGLTF_COMPONENT_TYPE_FLOAT;
        accessor.type = type;
        accessor.count = count;
        model_.accessors.push_back(std::move(accessor));
        return static_cast<int>(model_.accessors.size()) - 1;
    }

    // Positions carry their bounds, as glTF requires.
    int AddPositions(const IndexedMesh& mesh)
    {
        const int index = AddFloatAccessor(mesh.positions, mesh.vertexCount(), TINYGLTF_TYPE_VEC3);
        Bounds box;
        for (size_t i = 0; i < mesh.positions.size(); i += 3)
            box.Add(mesh.positions[i], mesh.positions[i + 1], mesh.positions[i + 2]);
        tinygltf::Accessor& accessor = model_.accessors[static_cast<size_t>(index)];
        accessor.minValues.assign(box.min.begin(), box.min.end());
        accessor.maxValues.assign(box.max.begin(), box.max.end());
        sceneBounds_.Add(box);
        return index;
    }

    int AddIndices(const IndexedMesh& mesh)
    {
        tinygltf::Accessor accessor;
        if (mesh.vertexCount() < kMaxShortIndexedVertices) {
            std::vector<uint16_t> shortIndices(mesh.indices.begin(), mesh.indices.end());
            accessor.bufferView = AddBufferView(shortIndices.data(), shortIndices.size() * sizeof(uint16_t),
                                                kElementArrayBuffer);
            accessor.componentType = TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT;
        } else {
            accessor.bufferView = AddBufferView(mesh.indices.data(), mesh.indices.size() * sizeof(uint32_t),
                                                kElementArrayBuffer);
            accessor.componentType = TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT;
        }
        accessor.type = TINYGLTF_TYPE_SCALAR;
        accessor.count = mesh.indices.size();
        model_.accessors.push_back(std::move(accessor));
        return static_cast<int>(model_.accessors.size()) - 1;
    }

    void AddObject(const SceneObject& object, size_t number)
    {
        tinygltf::Node node;
        node.name = "object " + std::to_string(number + 1);
        const bool textured =
            model_.materials[static_cast<size_t>(object.material)].pbrMetallicRoughness.baseColorTexture.index >= 0;
        const IndexedMesh indexed = BuildIndexedMesh(object, options_.axes, textured);
        stats_.trianglesDropped += indexed.trianglesDropped;
        // A mesh needs at least one triangle; an empty object stays a node.
        if (!indexed.indices.empty()) {
            tinygltf::Primitive primitive;
            primitive.mode = kTriangles;
            primitive.attributes["POSITION"] = AddPositions(indexed);
            if (textured)
                primitive.attributes["TEXCOORD_0"] =
                    AddFloatAccessor(indexed.texCoords, indexed.vertexCount(), TINYGLTF_TYPE_VEC2);
            primitive.indices = AddIndices(indexed);
            primitive.material = object.material;
            tinygltf::Mesh mesh;
            mesh.name = node.name;
            mesh.primitives.push_back(std::move(primitive));
            model_.meshes.push_back(std::move(mesh));
            node.mesh = static_cast<int>(model_.meshes.size()) - 1;
            stats_.triangles += indexed.indices.size() / 3;
            stats_.vertices += indexed.vertexCount();
        }
        model_.nodes.push_back(std::move(node));
    }

    void AddCamera(const SceneCamera& host)
    {
        const Vector3 eye = ToOutputAxes(host.eye[0], host.eye[1], host.eye[2], options_.axes);
        const Vector3 target = ToOutputAxes(host.target[0], host.target[1], host.target[2], options_.axes);
        const Vector3 up = ToOutputAxes(0.0, 0.0, 1.0, options_.axes);

        tinygltf::Camera camera;
        camera.name = GbkToUtf8(host.name);
        camera.type = "perspective";
        camera.perspective.yfov = VerticalFovRadians(host.fov, kCameraAspectRatio);
        camera.perspective.aspectRatio = kCameraAspectRatio;
        ClipRange(eye, target, camera.perspective.znear, camera.perspective.zfar);
        model_.cameras.push_back(std::move(camera));

        tinygltf::Node node;
        node.name = GbkToUtf8(host.name);
        node.camera = static_cast<int>(model_.cameras.size()) - 1;
        if (std::isfinite(eye[0]) && std::isfinite(eye[1]) && std::isfinite(eye[2])) {
            node.translation.assign(eye.begin(), eye.end());
            if (std::isfinite(target[0]) && std::isfinite(target[1]) && std::isfinite(target[2])) {
                const Quaternion rotation = LookAtRotation(eye, target, up);
                node.rotation.assign(rotation.begin(), rotation.end());
            }
        }
        model_.nodes.push_back(std::move(node));
    }

    // Far enough to see the whole scene and the target from the eye, near
    // a small fraction of that, so depth precision goes where the scene is.
    void ClipRange(const Vector3& eye, const Vector3& target, double& znear, double& zfar) const
    {
        double reach = 1.0;
        auto farthest = [&](const Vector3& p) {
            double d = std::hypot(p[0] - eye[0], p[1] - eye[1], p[2] - eye[2]);
            if (std::isfinite(d))
                reach = std::max(reach, d);
        };
        farthest(target);
        if (!sceneBounds_.empty()) {
            for (int corner = 0; corner < 8; ++corner) {
                farthest({corner & 1 ? sceneBounds_.max[0] : sceneBounds_.min[0],
                          corner & 2 ? sceneBounds_.max[1] : sceneBounds_.min[1],
                          corner & 4 ? sceneBounds_.max[2] : sceneBounds_.min[2]});
            }
        }
        zfar = 2.0 * reach;
        znear = zfar * 1e-5;
    }

    const SceneModel& scene_;
    const ExportOptions& options_;
    const bool binary_;
    ExportStats& stats_;
    tinygltf::Model model_;
    std::vector<unsigned char> buffer_;
    std::map<std::string, int> textures_;
    std::map<int, int> imageTextures_;
    Bounds sceneBounds_;
};

}  // namespace

tinygltf::Model BuildGltfModel(const SceneModel& scene, const ExportOptions& options, bool binary,
                               ExportStats& stats)
{
    return GltfBuilder(scene, options, binary, stats).Build();
}

bool WriteGltf(const tinygltf::Model& model, bool binary, std::ostream& out)
{
    tinygltf::TinyGLTF writer;
    // Images come ready: in buffer views, as data URIs or as URIs of files
    // written beside; the writer reads, encodes and writes none itself.
    writer.SetImageWriter(nullptr, nullptr);
    return writer.WriteGltfSceneToStream(&model, out, !binary, binary) && out.good();
}
