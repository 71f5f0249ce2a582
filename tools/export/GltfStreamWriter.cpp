#include "tools/export/GltfStreamWriter.h"

#include <algorithm>
#include <filesystem>
#include <limits>

#include "tools/export/GltfCameras.h"
#include "tools/export/GltfFileAssembly.h"
#include "tools/export/TextureReference.h"

namespace {

constexpr int kArrayBuffer = 34962;
constexpr int kElementArrayBuffer = 34963;
constexpr int kTriangles = 4;
constexpr int kUnsignedShort = 5123;
constexpr int kUnsignedInt = 5125;
constexpr int kFloat = 5126;
// Indices may not hold the largest value of their type (primitive restart).
constexpr uint64_t kMaxShortIndexedVertices = 65535;
// Up to this many indices of a mesh are held before they go to the file as
// 32-bit numbers (1 MiB): enough for every mesh that 16-bit ones can serve
// often, bounded for the rest.
constexpr size_t kHeldIndexLimit = size_t{1} << 18;

}  // namespace

GltfStreamWriter::GltfStreamWriter(std::string path, bool binary, const ExportOptions& options,
                                   const WriterLimits& limits)
    : path_(std::move(path)),
      binary_(binary),
      options_(options),
      limits_(limits),
      document_({{"asset", {{"generator", options_.generator}, {"version", "2.0"}}}}),
      data_(path_, binary ? limits.maxGlbBytes : 0, status_),
      materials_(document_, data_, binary, options_)
{
}

bool GltfStreamWriter::Open()
{
    return data_.Open();
}

int GltfStreamWriter::AddBlob(const void* data, size_t size)
{
    return data_.AddBlob(document_, data, size);
}

int GltfStreamWriter::AddMaterial(const SceneMaterial& material)
{
    return materials_.Add(material);
}

int GltfStreamWriter::AddAccessor(GltfJson accessor)
{
    return AppendTo(document_, "accessors", std::move(accessor));
}

void GltfStreamWriter::BeginMesh(const float* points, size_t pointCount, int material)
{
    if (meshOpen_)
        EndMesh();
    meshOpen_ = true;
    meshMaterial_ = material;
    meshTextured_ = materials_.Textured(material);
    positionsStart_ = data_.StartView(GltfBinaryData::kPositions);
    texCoordsStart_ = meshTextured_ ? data_.StartView(GltfBinaryData::kTexCoords) : 0;
    indicesStart_ = data_.StartView(GltfBinaryData::kIndices);
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
    data_.Put(GltfBinaryData::kPositions, positions, count * 3 * sizeof(float));
    if (texCoords != nullptr)
        data_.Put(GltfBinaryData::kTexCoords, texCoords, count * 2 * sizeof(float));
}

bool GltfStreamWriter::WriteSpilledIndices()
{
    indicesSpilled_ = true;
    const bool ok = data_.Put(GltfBinaryData::kIndices, heldIndices_.data(), heldIndices_.size() * sizeof(uint32_t));
    std::vector<uint32_t>().swap(heldIndices_);
    return ok;
}

void GltfStreamWriter::AddIndices(const uint32_t* indices, size_t count)
{
    indexCount_ += count;
    if (indicesSpilled_) {
        data_.Put(GltfBinaryData::kIndices, indices, count * sizeof(uint32_t));
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

    const std::string name = "object " + std::to_string(document_.contains("nodes") ? document_["nodes"].size() + 1 : 1);
    GltfJson node = {{"name", name}};
    // A mesh needs at least one triangle; an empty object stays a node.
    if (mesh_.trianglesKept() > 0 && !failed()) {
        const uint64_t vertices = mesh_.vertexCount();
        GltfJson attributes;
        attributes["POSITION"] = AddAccessor(
            {{"bufferView", data_.AddView(document_, GltfBinaryData::kPositions, positionsStart_,
                                          vertices * 3 * sizeof(float), kArrayBuffer)},
             {"componentType", kFloat},
             {"count", vertices},
             {"max", {boxMax_[0], boxMax_[1], boxMax_[2]}},
             {"min", {boxMin_[0], boxMin_[1], boxMin_[2]}},
             {"type", "VEC3"}});
        sceneBounds_.Add(boxMin_[0], boxMin_[1], boxMin_[2]);
        sceneBounds_.Add(boxMax_[0], boxMax_[1], boxMax_[2]);
        if (meshTextured_) {
            attributes["TEXCOORD_0"] = AddAccessor(
                {{"bufferView", data_.AddView(document_, GltfBinaryData::kTexCoords, texCoordsStart_,
                                              vertices * 2 * sizeof(float), kArrayBuffer)},
                 {"componentType", kFloat},
                 {"count", vertices},
                 {"type", "VEC2"}});
        }

        int indexType = kUnsignedInt;
        uint64_t indexBytes = indexCount_ * sizeof(uint32_t);
        if (!indicesSpilled_ && vertices < kMaxShortIndexedVertices) {
            const std::vector<uint16_t> shortIndices(heldIndices_.begin(), heldIndices_.end());
            data_.Put(GltfBinaryData::kIndices, shortIndices.data(), shortIndices.size() * sizeof(uint16_t));
            indexType = kUnsignedShort;
            indexBytes = indexCount_ * sizeof(uint16_t);
        } else if (!indicesSpilled_) {
            WriteSpilledIndices();
        }
        const int indices = AddAccessor(
            {{"bufferView",
              data_.AddView(document_, GltfBinaryData::kIndices, indicesStart_, indexBytes, kElementArrayBuffer)},
             {"componentType", indexType},
             {"count", indexCount_},
             {"type", "SCALAR"}});

        GltfJson primitive = {{"attributes", std::move(attributes)},
                              {"indices", indices},
                              {"material", meshMaterial_},
                              {"mode", kTriangles}};
        node["mesh"] = AppendTo(document_, "meshes",
                                {{"name", name}, {"primitives", GltfJson::array({std::move(primitive)})}});
        stats_.triangles += mesh_.trianglesKept();
        stats_.vertices += vertices;
    }
    std::vector<uint32_t>().swap(heldIndices_);
    AppendTo(document_, "nodes", std::move(node));
}

void GltfStreamWriter::AddCamera(const SceneCamera& camera)
{
    // Placed in Finish: the clip range depends on the whole scene.
    cameras_.push_back(camera);
}

std::string GltfStreamWriter::DocumentJson(uint64_t binaryLength)
{
    if (binaryLength > 0) {
        GltfJson buffer = {{"byteLength", binaryLength}};
        if (!binary_)
            buffer["uri"] = PathToUri(std::filesystem::path(GltfBinaryPath(path_)).filename().string());
        document_["buffers"] = GltfJson::array({std::move(buffer)});
    }
    // Texts the file stores are GBK turned UTF-8; any byte that is still no
    // UTF-8 becomes a replacement character rather than an error.
    return binary_ ? document_.dump(-1, ' ', false, GltfJson::error_handler_t::replace)
                   : document_.dump(2, ' ', false, GltfJson::error_handler_t::replace);
}

bool GltfStreamWriter::Finish(ProgressSink* progress)
{
    EndMesh();
    for (const SceneCamera& camera : cameras_)
        AddCameraNode(document_, camera, options_.axes, sceneBounds_);
    if (document_.contains("nodes")) {
        GltfJson nodes = GltfJson::array();
        for (size_t i = 0; i < document_["nodes"].size(); ++i)
            nodes.push_back(i);
        document_["scene"] = 0;
        document_["scenes"] = GltfJson::array({{{"nodes", std::move(nodes)}}});
    }
    if (failed())
        return false;
    std::string error;
    if (!materials_.WriteImagesBeside(path_, error)) {
        Fail(WriteFailure::Io, error);
        return false;
    }
    uint64_t binaryLength = 0;
    if (!data_.Seal(document_, binaryLength))
        return false;
    const std::string json = DocumentJson(binaryLength);
    return binary_ ? AssembleGlb(path_, json, data_, binaryLength, limits_.maxGlbBytes, progress, status_)
                   : AssembleGltf(path_, json, data_, binaryLength, progress, status_);
}
