#include "tools/export/GltfExport.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <sstream>

#include <nlohmann/json.hpp>

#include "plugin/GbkText.h"
#include "tools/export/CameraPose.h"
#include "tools/export/MaterialMaps.h"
#include "tools/export/ReplacingFile.h"
#include "tools/export/SceneImages.h"
#include "tools/export/TextureReference.h"
#include "tools/scene/ImportProgress.h"

namespace {

constexpr int kArrayBuffer = 34962;
constexpr int kElementArrayBuffer = 34963;
constexpr int kTriangles = 4;
// Indices may not hold the largest value of their type (primitive restart).
constexpr uint64_t kMaxShortIndexedVertices = 65535;
// Up to this many indices of a mesh are held before they go to the file as
// 32-bit numbers (1 MiB): enough for every mesh that 16-bit ones can serve
// often, bounded for the rest.
constexpr size_t kHeldIndexLimit = size_t{1} << 18;

// A .glb: the 12-byte header, and 8 bytes before each of its two chunks.
constexpr uint64_t kGlbHeaderBytes = 12;
constexpr uint64_t kChunkHeaderBytes = 8;
constexpr uint32_t kGlbMagic = 0x46546C67;    // "glTF"
constexpr uint32_t kJsonChunk = 0x4E4F534A;   // "JSON"
constexpr uint32_t kBinChunk = 0x004E4942;    // "BIN\0"

uint64_t RoundUp4(uint64_t n)
{
    return (n + 3) & ~uint64_t{3};
}

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

void PutLittleEndian32(std::string& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::string Gibibytes(uint64_t bytes)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f GiB", static_cast<double>(bytes) / double(uint64_t{1} << 30));
    return text;
}

}  // namespace

GltfStreamWriter::GltfStreamWriter(std::string path, bool binary, const ExportOptions& options,
                                   const WriterLimits& limits)
    : path_(std::move(path)), binary_(binary), options_(options), limits_(limits)
{
    model_.asset.version = "2.0";
    model_.asset.generator = options_.generator;
}

std::string GltfStreamWriter::BinaryPath(const std::string& gltfPath)
{
    return std::filesystem::path(gltfPath).replace_extension(".bin").string();
}

bool GltfStreamWriter::Open()
{
    // The positions' file first: if it cannot be made, nothing else can.
    return SegmentFile(kPositions) != nullptr;
}

TemporaryFile* GltfStreamWriter::SegmentFile(Segment segment)
{
    if (failed())
        return nullptr;
    if (!segments_[segment]) {
        auto file = std::make_unique<TemporaryFile>(path_);
        if (!file->Create()) {
            Fail(WriteFailure::Io, file->error());
            return nullptr;
        }
        segments_[segment] = std::move(file);
    }
    return segments_[segment].get();
}

uint64_t GltfStreamWriter::SegmentBytes() const
{
    uint64_t total = 0;
    for (const auto& segment : segments_)
        total += segment ? RoundUp4(segment->size()) : 0;
    return total;
}

bool GltfStreamWriter::Put(Segment segment, const void* data, size_t size)
{
    TemporaryFile* file = SegmentFile(segment);
    if (file == nullptr)
        return false;
    if (!file->Write(data, size)) {
        Fail(WriteFailure::Io, file->error());
        return false;
    }
    // Stop as soon as the .glb can no longer fit: the JSON and the chunk
    // headers only add to it.
    if (binary_ && kGlbHeaderBytes + 2 * kChunkHeaderBytes + SegmentBytes() > limits_.maxGlbBytes) {
        Fail(WriteFailure::TooLarge,
             "the scene needs a .glb of more than " + Gibibytes(limits_.maxGlbBytes) +
                 ", the most a .glb can hold; convert to .gltf instead, which keeps its geometry in a .bin "
                 "file beside it of any size");
        return false;
    }
    return true;
}

uint64_t GltfStreamWriter::StartView(Segment segment)
{
    TemporaryFile* file = SegmentFile(segment);
    if (file == nullptr)
        return 0;
    if (!file->PadTo(4, 0))
        Fail(WriteFailure::Io, file->error());
    return file->size();
}

int GltfStreamWriter::AddView(Segment segment, uint64_t start, uint64_t length, int target)
{
    tinygltf::BufferView view;
    view.buffer = 0;
    view.byteOffset = start;
    view.byteLength = length;
    view.target = target;
    model_.bufferViews.push_back(view);
    viewSegments_.push_back(segment);
    return static_cast<int>(model_.bufferViews.size()) - 1;
}

int GltfStreamWriter::AddBlob(const void* data, size_t size)
{
    const uint64_t start = StartView(kBlobs);
    if (!Put(kBlobs, data, size))
        return -1;
    return AddView(kBlobs, start, size, 0);
}

// The texture of an image file name, shared by every material naming it.
int GltfStreamWriter::TextureFor(const std::string& uri)
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
// .glb the image goes to the binary data at once, in a .gltf it is a data
// URI or a file beside it, named in Finish.
int GltfStreamWriter::TextureForImage(int slot)
{
    auto [where, inserted] = imageTextures_.try_emplace(slot, static_cast<int>(model_.textures.size()));
    if (!inserted)
        return where->second;
    const OutputImage& source = options_.images->images[static_cast<size_t>(slot)];
    tinygltf::Image image;
    image.name = source.fileName;
    if (binary_) {
        image.mimeType = source.packed.mimeType;
        image.bufferView = AddBlob(source.packed.bytes.data(), source.packed.bytes.size());
    } else if (options_.dataUris) {
        image.uri = "data:" + source.packed.mimeType + ";base64," + Base64(source.packed.bytes);
    } else {
        besideImages_.emplace_back(static_cast<int>(model_.images.size()), slot);
    }
    model_.images.push_back(std::move(image));
    tinygltf::Texture texture;
    texture.source = static_cast<int>(model_.images.size()) - 1;
    model_.textures.push_back(std::move(texture));
    return where->second;
}

int GltfStreamWriter::AddMaterial(const SceneMaterial& source)
{
    const size_t index = model_.materials.size();
    tinygltf::Material material;
    material.name = GbkToUtf8(source.name);
    material.pbrMetallicRoughness.baseColorFactor = {UnitInterval(source.diffuse[0]), UnitInterval(source.diffuse[1]),
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
    if (options_.images != nullptr && index < options_.images->materials.size()) {
        // With images found: only those go in; a map without one is left out.
        const SceneImages::Slots& slots = options_.images->materials[index];
        if (slots.texture != SceneImages::kNone)
            material.pbrMetallicRoughness.baseColorTexture.index = TextureForImage(slots.texture);
        if (slots.bump != SceneImages::kNone) {
            tinygltf::Value::Object bump;
            bump["index"] = tinygltf::Value(TextureForImage(slots.bump));
            if (!binary_ && !options_.dataUris)
                besideBumps_.emplace_back(static_cast<int>(index), slots.bump);
            extras["bumpTexture"] = tinygltf::Value(std::move(bump));
        }
    } else if (options_.images == nullptr) {
        // Without images: references to the names as stored, relative to the output.
        if (!maps.texture.empty())
            material.pbrMetallicRoughness.baseColorTexture.index =
                TextureFor(PathToUri(RelativeTexturePath(maps.texture)));
        if (!maps.bump.empty()) {
            tinygltf::Value::Object bump;
            bump["uri"] = tinygltf::Value(PathToUri(RelativeTexturePath(maps.bump)));
            extras["bumpTexture"] = tinygltf::Value(std::move(bump));
        }
    }
    material.extras = tinygltf::Value(std::move(extras));
    model_.materials.push_back(std::move(material));
    return static_cast<int>(index);
}

// A .gltf's images as files beside it, complete before the document that
// names them, and never over one of the scene's source images.
bool GltfStreamWriter::WriteImagesBeside()
{
    if (besideImages_.empty())
        return true;
    SceneImages written = *options_.images;
    const std::filesystem::path folder = std::filesystem::path(path_).parent_path();
    KeepSourcesWhenWritingInto(folder.empty() ? "." : folder, written);
    std::vector<bool> done(written.images.size(), false);
    for (const auto& [modelImage, slot] : besideImages_) {
        const OutputImage& image = written.images[static_cast<size_t>(slot)];
        model_.images[static_cast<size_t>(modelImage)].uri = PathToUri(image.fileName);
        if (done[static_cast<size_t>(slot)])
            continue;
        done[static_cast<size_t>(slot)] = true;
        ReplacingFile file((folder / image.fileName).string());
        if (!file.Open()) {
            Fail(WriteFailure::Io, file.path() + ": " + file.error());
            return false;
        }
        file.stream().write(reinterpret_cast<const char*>(image.packed.bytes.data()),
                            static_cast<std::streamsize>(image.packed.bytes.size()));
        if (!file.Commit()) {
            Fail(WriteFailure::Io, file.path() + ": " + file.error());
            return false;
        }
    }
    for (const auto& [material, slot] : besideBumps_) {
        tinygltf::Value& extrasValue = model_.materials[static_cast<size_t>(material)].extras;
        tinygltf::Value::Object extras = extrasValue.Get<tinygltf::Value::Object>();
        tinygltf::Value::Object bump = extras["bumpTexture"].Get<tinygltf::Value::Object>();
        bump["uri"] = tinygltf::Value(PathToUri(written.images[static_cast<size_t>(slot)].fileName));
        extras["bumpTexture"] = tinygltf::Value(std::move(bump));
        extrasValue = tinygltf::Value(std::move(extras));
    }
    return true;
}

void GltfStreamWriter::BeginMesh(const float* points, size_t pointCount, int material)
{
    if (meshOpen_)
        EndMesh();
    meshOpen_ = true;
    meshMaterial_ = material;
    meshTextured_ = material >= 0 && static_cast<size_t>(material) < model_.materials.size() &&
                    model_.materials[static_cast<size_t>(material)].pbrMetallicRoughness.baseColorTexture.index >= 0;
    positionsStart_ = StartView(kPositions);
    texCoordsStart_ = meshTextured_ ? StartView(kTexCoords) : 0;
    indicesStart_ = StartView(kIndices);
    std::fill(std::begin(boxMin_), std::end(boxMin_), std::numeric_limits<float>::infinity());
    std::fill(std::begin(boxMax_), std::end(boxMax_), -std::numeric_limits<float>::infinity());
    heldIndices_.clear();
    indicesSpilled_ = false;
    indexCount_ = 0;
    mesh_.Begin(points, pointCount, options_.axes, meshTextured_, *this, limits_.mergeVertexLimit);
}

void GltfStreamWriter::AddTriangles(const uint32_t* corners, size_t triangleCount)
{
    if (meshOpen_ && !failed())
        mesh_.AddTriangles(corners, triangleCount);
}

void GltfStreamWriter::AddVertices(const float* positions, const float* texCoords, size_t count)
{
    for (size_t i = 0; i < count * 3; i += 3) {
        for (int c = 0; c < 3; ++c) {
            boxMin_[c] = std::min(boxMin_[c], positions[i + c]);
            boxMax_[c] = std::max(boxMax_[c], positions[i + c]);
        }
    }
    Put(kPositions, positions, count * 3 * sizeof(float));
    if (texCoords != nullptr)
        Put(kTexCoords, texCoords, count * 2 * sizeof(float));
}

bool GltfStreamWriter::WriteSpilledIndices()
{
    indicesSpilled_ = true;
    const bool ok = Put(kIndices, heldIndices_.data(), heldIndices_.size() * sizeof(uint32_t));
    std::vector<uint32_t>().swap(heldIndices_);
    return ok;
}

void GltfStreamWriter::AddIndices(const uint32_t* indices, size_t count)
{
    indexCount_ += count;
    if (indicesSpilled_) {
        Put(kIndices, indices, count * sizeof(uint32_t));
        return;
    }
    heldIndices_.insert(heldIndices_.end(), indices, indices + count);
    if (heldIndices_.size() > kHeldIndexLimit)
        WriteSpilledIndices();
}

void GltfStreamWriter::EndMesh()
{
    if (!EndOpenMesh(mesh_, meshOpen_))
        return;

    tinygltf::Node node;
    node.name = "object " + std::to_string(model_.nodes.size() + 1);
    // A mesh needs at least one triangle; an empty object stays a node.
    if (mesh_.trianglesKept() > 0 && !failed()) {
        const uint64_t vertices = mesh_.vertexCount();
        tinygltf::Primitive primitive;
        primitive.mode = kTriangles;

        tinygltf::Accessor positions;
        positions.bufferView = AddView(kPositions, positionsStart_, vertices * 3 * sizeof(float), kArrayBuffer);
        positions.componentType = TINYGLTF_COMPONENT_TYPE_FLOAT;
        positions.type = TINYGLTF_TYPE_VEC3;
        positions.count = vertices;
        positions.minValues.assign(boxMin_, boxMin_ + 3);
        positions.maxValues.assign(boxMax_, boxMax_ + 3);
        sceneBounds_.Add(boxMin_[0], boxMin_[1], boxMin_[2]);
        sceneBounds_.Add(boxMax_[0], boxMax_[1], boxMax_[2]);
        model_.accessors.push_back(std::move(positions));
        primitive.attributes["POSITION"] = static_cast<int>(model_.accessors.size()) - 1;

        if (meshTextured_) {
            tinygltf::Accessor texCoords;
            texCoords.bufferView = AddView(kTexCoords, texCoordsStart_, vertices * 2 * sizeof(float), kArrayBuffer);
            texCoords.componentType = TINYGLTF_COMPONENT_TYPE_FLOAT;
            texCoords.type = TINYGLTF_TYPE_VEC2;
            texCoords.count = vertices;
            model_.accessors.push_back(std::move(texCoords));
            primitive.attributes["TEXCOORD_0"] = static_cast<int>(model_.accessors.size()) - 1;
        }

        tinygltf::Accessor indices;
        if (!indicesSpilled_ && vertices < kMaxShortIndexedVertices) {
            std::vector<uint16_t> shortIndices(heldIndices_.begin(), heldIndices_.end());
            Put(kIndices, shortIndices.data(), shortIndices.size() * sizeof(uint16_t));
            indices.componentType = TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT;
        } else {
            if (!indicesSpilled_)
                WriteSpilledIndices();
            indices.componentType = TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT;
        }
        const uint64_t indexBytes = indexCount_ * (indices.componentType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT
                                                       ? sizeof(uint16_t)
                                                       : sizeof(uint32_t));
        indices.bufferView = AddView(kIndices, indicesStart_, indexBytes, kElementArrayBuffer);
        indices.type = TINYGLTF_TYPE_SCALAR;
        indices.count = indexCount_;
        model_.accessors.push_back(std::move(indices));
        primitive.indices = static_cast<int>(model_.accessors.size()) - 1;

        primitive.material = meshMaterial_;
        tinygltf::Mesh gltfMesh;
        gltfMesh.name = node.name;
        gltfMesh.primitives.push_back(std::move(primitive));
        model_.meshes.push_back(std::move(gltfMesh));
        node.mesh = static_cast<int>(model_.meshes.size()) - 1;
        stats_.triangles += mesh_.trianglesKept();
        stats_.vertices += vertices;
    }
    std::vector<uint32_t>().swap(heldIndices_);
    model_.nodes.push_back(std::move(node));
}

void GltfStreamWriter::AddCamera(const SceneCamera& camera)
{
    // Placed in Finish: the clip range depends on the whole scene.
    cameras_.push_back(camera);
}

void GltfStreamWriter::AddCameraNode(const SceneCamera& host)
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

// Far enough to see the whole scene and the target from the eye, near a small
// fraction of that, so depth precision goes where the scene is.
void GltfStreamWriter::ClipRange(const Vector3& eye, const Vector3& target, double& znear, double& zfar) const
{
    double reach = 1.0;
    auto farthest = [&](const Vector3& p) {
        // Not std::hypot: the coordinates are floats, so the squares cannot
        // overflow a double, and a correctly rounded square root gives the
        // same bits with every C library, where hypot's results differ in
        // the last place (the browser viewer must write the same bytes).
        const double dx = p[0] - eye[0], dy = p[1] - eye[1], dz = p[2] - eye[2];
        double d = std::sqrt(dx * dx + dy * dy + dz * dz);
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

std::string GltfStreamWriter::DocumentJson(uint64_t binaryLength, const std::string& binaryUri)
{
    // tinygltf writes everything but the buffer, which is only known here.
    tinygltf::TinyGLTF serializer;
    serializer.SetImageWriter(nullptr, nullptr);
    std::ostringstream text;
    serializer.WriteGltfSceneToStream(&model_, text, false, false);
    nlohmann::json document = nlohmann::json::parse(text.str());
    if (binaryLength > 0) {
        nlohmann::json buffer = {{"byteLength", binaryLength}};
        if (!binaryUri.empty())
            buffer["uri"] = binaryUri;
        document["buffers"] = nlohmann::json::array({buffer});
    }
    return binary_ ? document.dump() : document.dump(2);
}

bool GltfStreamWriter::Finish(ProgressSink* progress)
{
    EndMesh();
    for (const SceneCamera& camera : cameras_)
        AddCameraNode(camera);
    if (!model_.nodes.empty()) {
        tinygltf::Scene scene;
        for (size_t i = 0; i < model_.nodes.size(); ++i)
            scene.nodes.push_back(static_cast<int>(i));
        model_.scenes.push_back(std::move(scene));
        model_.defaultScene = 0;
    }
    if (failed() || !WriteImagesBeside())
        return false;

    // The binary data is the segments one after the other, each 4-byte aligned.
    uint64_t base[kSegmentCount] = {};
    uint64_t binaryLength = 0;
    for (int s = 0; s < kSegmentCount; ++s) {
        base[s] = binaryLength;
        if (segments_[s] && segments_[s]->size() > 0) {
            if (!segments_[s]->PadTo(4, 0)) {
                Fail(WriteFailure::Io, segments_[s]->error());
                return false;
            }
            binaryLength += segments_[s]->size();
        }
    }
    for (size_t v = 0; v < model_.bufferViews.size(); ++v)
        model_.bufferViews[v].byteOffset += base[viewSegments_[v]];

    const std::string binaryUri =
        binary_ ? std::string() : PathToUri(std::filesystem::path(BinaryPath(path_)).filename().string());
    const std::string json = DocumentJson(binaryLength, binaryUri);
    return binary_ ? AssembleGlb(json, binaryLength, progress) : AssembleGltf(json, binaryLength, progress);
}

bool GltfStreamWriter::AssembleGlb(const std::string& json, uint64_t binaryLength, ProgressSink* progress)
{
    const uint64_t jsonLength = RoundUp4(json.size());
    const uint64_t total =
        kGlbHeaderBytes + kChunkHeaderBytes + jsonLength + (binaryLength > 0 ? kChunkHeaderBytes + binaryLength : 0);
    if (total > limits_.maxGlbBytes) {
        Fail(WriteFailure::TooLarge, "the scene needs a .glb of " + Gibibytes(total) + ", more than the " +
                                         Gibibytes(limits_.maxGlbBytes) +
                                         " a .glb can hold; convert to .gltf instead, which keeps its geometry "
                                         "in a .bin file beside it of any size");
        return false;
    }
    std::string head;
    PutLittleEndian32(head, kGlbMagic);
    PutLittleEndian32(head, 2);
    PutLittleEndian32(head, static_cast<uint32_t>(total));
    PutLittleEndian32(head, static_cast<uint32_t>(jsonLength));
    PutLittleEndian32(head, kJsonChunk);
    head += json;
    head.append(jsonLength - json.size(), ' ');
    if (binaryLength > 0) {
        PutLittleEndian32(head, static_cast<uint32_t>(binaryLength));
        PutLittleEndian32(head, kBinChunk);
    }

    TemporaryFile out(path_);
    if (!out.Create() || !out.Write(head.data(), head.size())) {
        Fail(WriteFailure::Io, out.error());
        return false;
    }
    uint64_t copied = 0;
    for (auto& segment : segments_) {
        if (segment && segment->size() > 0 && !out.Append(*segment, progress, copied, binaryLength)) {
            Fail(WriteFailure::Io, out.error());
            return false;
        }
        segment.reset();   // its disk space goes back at once
    }
    if (progress != nullptr)
        progress->Finish();
    if (!out.RenameIntoPlace()) {
        Fail(WriteFailure::Io, out.error());
        return false;
    }
    return true;
}

bool GltfStreamWriter::AssembleGltf(const std::string& json, uint64_t binaryLength, ProgressSink* progress)
{
    std::unique_ptr<TemporaryFile> bin;
    if (binaryLength > 0) {
        bin = std::make_unique<TemporaryFile>(BinaryPath(path_));
        if (!bin->Create()) {
            Fail(WriteFailure::Io, bin->error());
            return false;
        }
        uint64_t copied = 0;
        for (auto& segment : segments_) {
            if (segment && segment->size() > 0 && !bin->Append(*segment, progress, copied, binaryLength)) {
                Fail(WriteFailure::Io, bin->error());
                return false;
            }
            segment.reset();
        }
        if (progress != nullptr)
            progress->Finish();
    }
    TemporaryFile document(path_);
    if (!document.Create() || !document.Write(json.data(), json.size()) || !document.Flush()) {
        Fail(WriteFailure::Io, document.error());
        return false;
    }
    // The .bin first, so the document never names data that is not there.
    if (bin && !bin->RenameIntoPlace()) {
        Fail(WriteFailure::Io, bin->error());
        return false;
    }
    if (!document.RenameIntoPlace()) {
        Fail(WriteFailure::Io, document.error());
        return false;
    }
    return true;
}
