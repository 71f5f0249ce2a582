#include "tools/structural/KvdWriter.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace kvdwriter {

namespace {

// Buffered bytes are sent to the file once this much has collected.
constexpr size_t kFlushSize = 1 << 20;
// Streamed lists are drawn from their sources this many items at a time.
constexpr int64_t kChunkItems = 1 << 15;

constexpr int32_t kMaxGridSide = 32768;   // keeps both counts within int32

void PutLittleEndian(uint8_t* out, uint32_t value)
{
    out[0] = static_cast<uint8_t>(value);
    out[1] = static_cast<uint8_t>(value >> 8);
    out[2] = static_cast<uint8_t>(value >> 16);
    out[3] = static_cast<uint8_t>(value >> 24);
}

// Appends items of three four-byte values from a source, chunk by chunk.
template <class Item>
void AppendStreamed(KvdWriter& writer, int32_t count,
                    const std::function<void(int64_t, std::span<Item>)>& source)
{
    std::vector<Item> items;
    std::string encoded;
    for (int64_t first = 0; first < count; first += kChunkItems) {
        items.resize(static_cast<size_t>(std::min<int64_t>(kChunkItems, count - first)));
        source(first, items);
        encoded.resize(items.size() * 12);
        auto* out = reinterpret_cast<uint8_t*>(encoded.data());
        for (const Item& item : items) {
            for (auto component : item) {
                PutLittleEndian(out, std::bit_cast<uint32_t>(component));
                out += 4;
            }
        }
        writer.Bytes(encoded);
    }
}

uint16_t CountOf(std::optional<uint16_t> count, size_t size)
{
    return count.value_or(static_cast<uint16_t>(size));
}

}  // namespace

KvdString::KvdString(std::string_view text)
    : count(static_cast<uint32_t>(text.size() + 1)), bytes(text)
{
    bytes.push_back('\0');
}

KvdString KvdString::Raw(uint32_t count, std::string_view bytes)
{
    KvdString raw;
    raw.count = count;
    raw.bytes = bytes;
    return raw;
}

TransformDescription TransformDescription::At(float x, float y, float z)
{
    TransformDescription transform;
    transform.values[12] = std::bit_cast<uint32_t>(x);
    transform.values[13] = std::bit_cast<uint32_t>(y);
    transform.values[14] = std::bit_cast<uint32_t>(z);
    return transform;
}

KvdWriter::KvdWriter(std::FILE* out) : out_(out)
{
    buffer_.reserve(kFlushSize + 64);
}

KvdWriter& KvdWriter::U16(uint16_t value)
{
    buffer_.push_back(static_cast<uint8_t>(value));
    buffer_.push_back(static_cast<uint8_t>(value >> 8));
    FlushWhenFull();
    return *this;
}

KvdWriter& KvdWriter::U32(uint32_t value)
{
    uint8_t bytes[4];
    PutLittleEndian(bytes, value);
    buffer_.insert(buffer_.end(), bytes, bytes + 4);
    FlushWhenFull();
    return *this;
}

KvdWriter& KvdWriter::I32(int32_t value) { return U32(static_cast<uint32_t>(value)); }

KvdWriter& KvdWriter::F32(float value) { return U32(std::bit_cast<uint32_t>(value)); }

KvdWriter& KvdWriter::Bytes(std::string_view bytes)
{
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
    FlushWhenFull();
    return *this;
}

KvdWriter& KvdWriter::String(std::string_view text)
{
    return StoredString(KvdString(text));
}

KvdWriter& KvdWriter::RawString(uint32_t count, std::string_view bytes)
{
    return U32(count).Bytes(bytes);
}

KvdWriter& KvdWriter::StoredString(const KvdString& string)
{
    return RawString(string.count, string.bytes);
}

KvdWriter& KvdWriter::Slot(std::optional<uint16_t> slot, bool present, uint16_t tag)
{
    return U16(slot.value_or(present ? tag : 0));
}

KvdWriter& KvdWriter::SlotString(std::optional<uint16_t> slot, const std::optional<KvdString>& item,
                                 uint16_t tag)
{
    Slot(slot, item.has_value(), tag);
    return item ? StoredString(*item) : *this;
}

KvdWriter& KvdWriter::Header(const HeaderDescription& header)
{
    U16(header.firstTag).StoredString(header.signature).U16(header.formatWord);
    SlotString(header.textSlot, header.text, kHeaderText);
    for (uint16_t word : header.words)
        U16(word);
    Slot(header.valuesSlot, header.values.has_value(), kHeaderValues);
    if (header.values) {
        for (float value : *header.values)
            F32(value);
    }
    return *this;
}

KvdWriter& KvdWriter::MaterialSection(const MaterialSectionDescription& section)
{
    U16(section.sectionTag);
    if (section.sectionTag == kMaterialSection) {
        U16(section.listTag);
        if (section.listTag == kMaterialList) {
            U16(CountOf(section.count, section.materials.size()));
            for (const MaterialDescription& material : section.materials)
                Material(material);
        }
    }
    return U16(section.endWord);
}

KvdWriter& KvdWriter::Material(const MaterialDescription& material)
{
    U16(material.code1).U16(material.code2);
    SlotString(material.nameSlot, material.name, kMaterialName);
    SlotString(material.classSlot, material.className, kMaterialClass);
    for (const auto* colour : {&material.colour1, &material.colour2, &material.colour3}) {
        for (float component : *colour)
            F32(component);
    }
    F32(material.scalar1);
    for (uint32_t scalar : material.scalars)
        U32(scalar);
    if (material.standard) {
        const StandardBlockDescription& block = *material.standard;
        U32(block.value1).U32(block.value2).U16(block.code1).U16(block.code2).U16(block.code3);
    }
    SlotList(material.mapSlot, material.maps, material.mapCount, kMapList, &KvdWriter::Map);
    SlotList(material.subMaterialSlot, material.subMaterials, material.subMaterialCount,
             kSubMaterialList, &KvdWriter::Material);
    return U16(material.closingTag);
}

KvdWriter& KvdWriter::Map(const MapDescription& map)
{
    U16(map.kind);
    SlotString(map.nameSlot, map.name, kMapName);
    SlotString(map.classSlot, map.className, kMapClass);
    U16(map.code).U32(map.value);
    if (map.imageFile) {
        Slot(map.imageSlot, true, kImageFile).StoredString(*map.imageFile);
        if (map.imageBlock)
            Slot(map.imageBlockSlot, true, kImageBlock).ImageBlock(*map.imageBlock);
        U16(map.imageCode);
    }
    SlotList(map.nestedMapSlot, map.nestedMaps, map.nestedMapCount, kMapList, &KvdWriter::Map);
    return U16(map.closingTag);
}

KvdWriter& KvdWriter::ImageBlock(const ImageBlockDescription& block)
{
    U16(block.code);
    for (uint32_t value : block.values)
        U32(value);
    return U32(block.trailingValue).U16(block.trailingCode);
}

KvdWriter& KvdWriter::NameRecord(const NameRecordDescription& record)
{
    U16(record.openingTag);
    if (record.openingTag != kName)
        return *this;
    StoredString(record.name);
    SlotString(record.secondarySlot, record.secondaryName, kSecondaryName);
    return *this;
}

KvdWriter& KvdWriter::Transform(const TransformDescription& transform)
{
    U16(transform.openingTag);
    if (transform.openingTag != kTransform)
        return *this;
    U16(transform.nameTag);
    if (transform.nameTag != kName)
        return *this;
    StoredString(transform.name);
    for (uint16_t word : transform.words)
        U16(word);
    for (uint32_t value : transform.values)
        U32(value);
    return U16(transform.closingTag);
}

KvdWriter& KvdWriter::Camera(const CameraDescription& camera)
{
    U16(camera.entryTag);
    if (camera.entryTag != kCameraEntry)
        return *this;
    NameRecord(camera.name);
    Slot(camera.placementSlot, camera.placement.has_value(), kCameraPlacement);
    if (camera.placement) {
        const CameraPlacementDescription& placement = *camera.placement;
        Slot(placement.targetSlot, placement.target.has_value(), kCameraTarget);
        if (placement.target)
            Transform(*placement.target);
        Transform(placement.eye).CameraSettings(placement.settings);
    }
    return U16(camera.closingTag);
}

KvdWriter& KvdWriter::CameraSettings(const CameraSettingsDescription& settings)
{
    U16(settings.tag);
    if (settings.tag != kCameraSettings)
        return *this;
    U16(settings.kind);
    for (uint32_t parameter : settings.parameters)
        U32(parameter);
    return *this;
}

KvdWriter& KvdWriter::Geometry(const GeometryDescription& geometry)
{
    auto vertexCount = static_cast<int32_t>(geometry.vertices.size());
    auto faceCount = static_cast<int32_t>(geometry.faces.size());
    // The lists are written as given; only the counts may say otherwise.
    return StreamedGeometry(
        geometry, geometry.vertexCount.value_or(vertexCount), vertexCount,
        [&](int64_t first, std::span<Vertex> out) {
            std::copy_n(geometry.vertices.begin() + first, out.size(), out.begin());
        },
        geometry.faceCount.value_or(faceCount), faceCount,
        [&](int64_t first, std::span<Face> out) {
            std::copy_n(geometry.faces.begin() + first, out.size(), out.begin());
        });
}

KvdWriter& KvdWriter::StreamedGeometry(const GeometryDescription& frame, int32_t vertexCount,
                                       const VertexSource& vertices, int32_t faceCount,
                                       const FaceSource& faces)
{
    return StreamedGeometry(frame, vertexCount, vertexCount, vertices, faceCount, faceCount, faces);
}

KvdWriter& KvdWriter::StreamedGeometry(const GeometryDescription& frame, int32_t storedVertexCount,
                                       int32_t vertexCount, const VertexSource& vertices,
                                       int32_t storedFaceCount, int32_t faceCount,
                                       const FaceSource& faces)
{
    U16(frame.openingTag);
    if (frame.openingTag != kGeometryBlock)
        return *this;
    U16(frame.word).I32(storedVertexCount).I32(storedFaceCount).U16(frame.vertexTag);
    if (frame.vertexTag != kVertexList)
        return *this;
    U32(frame.vertexListWord);
    AppendStreamed(*this, vertexCount, vertices);
    U16(frame.faceTag);
    if (frame.faceTag != kFaceList)
        return *this;
    U32(frame.faceListWord);
    AppendStreamed(*this, faceCount, faces);
    return U16(frame.closingTag);
}

KvdWriter& KvdWriter::Mesh(const MeshDescription& mesh)
{
    return MeshWith(mesh, [&](KvdWriter& writer) { writer.Geometry(mesh.geometry); });
}

KvdWriter& KvdWriter::MeshWith(const MeshDescription& mesh,
                               const std::function<void(KvdWriter&)>& writeGeometry)
{
    NameRecord(mesh.name).Transform(mesh.transform);
    for (uint16_t word : mesh.words)
        U16(word);
    if (mesh.materialIndex) {
        U16(mesh.materialTag.value_or(kMaterialIndex)).U16(*mesh.materialIndex);
    } else {
        U16(mesh.materialTag.value_or(0));
        for (float component : mesh.colour)
            F32(component);
    }
    writeGeometry(*this);
    return U16(mesh.closingTag);
}

KvdWriter& KvdWriter::Node(const NodeDescription& node)
{
    return NodeWith(node, [&](KvdWriter& writer) { writer.Mesh(*node.mesh); });
}

KvdWriter& KvdWriter::NodeWith(const NodeDescription& node,
                               const std::function<void(KvdWriter&)>& writeMesh)
{
    U16(node.openingTag);
    if (node.openingTag != kNodeEntry)
        return *this;
    StoredString(node.label);
    auto childCount = static_cast<uint16_t>(node.children.size());
    if (node.mesh) {
        U16(node.nodeType.value_or(kMeshNode));
        writeMesh(*this);
        U16(node.childCount.value_or(childCount));
    } else {
        U16(node.nodeType.value_or(childCount));
    }
    for (const NodeDescription& child : node.children)
        Node(child);
    return *this;
}

KvdWriter& KvdWriter::SceneFrame(const HeaderDescription& header,
                                 const MaterialSectionDescription& materials,
                                 uint16_t objectCount, uint16_t cameraCount,
                                 const std::vector<CameraDescription>& cameras,
                                 uint16_t cameraSectionEnd)
{
    Header(header).MaterialSection(materials).U16(objectCount).U16(cameraCount);
    for (const CameraDescription& camera : cameras)
        Camera(camera);
    return U16(cameraSectionEnd);
}

KvdWriter& KvdWriter::Scene(const SceneDescription& scene)
{
    SceneFrame(scene.header, scene.materials, CountOf(scene.objectCount, scene.nodes.size()),
               CountOf(scene.cameraCount, scene.cameras.size()), scene.cameras,
               scene.cameraSectionEnd);
    for (const NodeDescription& node : scene.nodes)
        Node(node);
    return *this;
}

void KvdWriter::FlushWhenFull()
{
    if (out_ != nullptr && buffer_.size() >= kFlushSize)
        Flush();
}

bool KvdWriter::Flush()
{
    if (out_ != nullptr && !buffer_.empty()) {
        if (std::fwrite(buffer_.data(), 1, buffer_.size(), out_) != buffer_.size())
            failed_ = true;
        flushed_ += buffer_.size();
        buffer_.clear();
    }
    if (out_ != nullptr && std::fflush(out_) != 0)
        failed_ = true;
    return !failed_;
}

std::vector<uint8_t> SceneBytes(const SceneDescription& scene)
{
    KvdWriter writer;
    writer.Scene(scene);
    return writer.bytes();
}

bool WriteStreamedMeshScene(std::FILE* out, const StreamedMeshScene& scene)
{
    if (!scene.meshNode.mesh)
        return false;
    KvdWriter writer(out);
    writer.SceneFrame(scene.header, scene.materials, 1,
                      static_cast<uint16_t>(scene.cameras.size()), scene.cameras,
                      kCameraSectionEnd);
    writer.NodeWith(scene.meshNode, [&](KvdWriter& meshWriter) {
        const MeshDescription& mesh = *scene.meshNode.mesh;
        meshWriter.MeshWith(mesh, [&](KvdWriter& geometryWriter) {
            geometryWriter.StreamedGeometry(mesh.geometry, scene.vertexCount, scene.vertices,
                                            scene.faceCount, scene.faces);
        });
    });
    return writer.Flush();
}

GridSurface GridSurface::ForGeometryBytes(uint64_t byteBudget)
{
    // An n x n grid stores 12 n^2 bytes of vertices and 24 (n-1)^2 of faces.
    auto side = static_cast<int64_t>(std::sqrt(static_cast<double>(byteBudget) / 36.0)) + 1;
    side = std::clamp<int64_t>(side, 2, kMaxGridSide);
    GridSurface grid;
    grid.rows = grid.columns = static_cast<int32_t>(side);
    return grid;
}

void GridSurface::FillVertices(int64_t first, std::span<Vertex> out) const
{
    for (size_t i = 0; i < out.size(); ++i) {
        int64_t index = first + static_cast<int64_t>(i);
        out[i] = {static_cast<float>(index % columns), static_cast<float>(index / columns), 0.0f};
    }
}

void GridSurface::FillFaces(int64_t first, std::span<Face> out) const
{
    // Two counter-clockwise triangles per cell: (v0, v1, v3) and (v0, v3, v2).
    for (size_t i = 0; i < out.size(); ++i) {
        int64_t face = first + static_cast<int64_t>(i);
        int64_t cell = face / 2;
        auto v0 = static_cast<int32_t>((cell / (columns - 1)) * columns + cell % (columns - 1));
        int32_t v1 = v0 + 1;
        int32_t v2 = v0 + columns;
        int32_t v3 = v2 + 1;
        out[i] = face % 2 == 0 ? Face{v0, v1, v3} : Face{v0, v3, v2};
    }
}

std::vector<Face> GridSurface::Faces() const
{
    std::vector<Face> faces(static_cast<size_t>(faceCount()));
    FillFaces(0, faces);
    return faces;
}

bool WriteBytesToFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && written;
}

StreamedMeshScene GridScene(uint64_t totalBytes)
{
    StreamedMeshScene scene;
    scene.materials.materials.push_back({
        .name = "grid",
        .className = "Standard",
        .colour1 = {0.2f, 0.2f, 0.2f},
        .colour2 = {0.6f, 0.6f, 0.6f},
        .colour3 = {0.9f, 0.9f, 0.9f},
        .standard = StandardBlockDescription{},
    });
    scene.cameras.push_back({
        .name = {.name = "camera"},
        .placement = CameraPlacementDescription{
            .target = TransformDescription::At(0.0f, 0.0f, 0.0f),
            .eye = TransformDescription::At(-10.0f, -10.0f, 10.0f),
        },
    });
    scene.meshNode = {.label = "grid",
                      .mesh = MeshDescription{.name = {.name = "grid"}, .materialIndex = 0}};

    // Everything but the vertices and faces, measured on an empty mesh.
    KvdWriter frame;
    SceneDescription frameScene{.header = scene.header,
                                .materials = scene.materials,
                                .cameras = scene.cameras,
                                .nodes = {scene.meshNode}};
    frame.Scene(frameScene);
    uint64_t budget = totalBytes > frame.size() ? totalBytes - frame.size() : 0;

    GridSurface grid = GridSurface::ForGeometryBytes(budget);
    scene.vertexCount = grid.vertexCount();
    scene.faceCount = grid.faceCount();
    scene.vertices = [grid](int64_t first, std::span<Vertex> out) { grid.FillVertices(first, out); };
    scene.faces = [grid](int64_t first, std::span<Face> out) { grid.FillFaces(first, out); };
    return scene;
}

}  // namespace kvdwriter
