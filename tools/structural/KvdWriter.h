// Writes kvd scene files from structural descriptions: tests, fuzz seeds,
// sample scenes and benchmark inputs say what a file holds, not its bytes.
//
// Rules of the descriptions:
// - A string field is a KvdString: text stored with its NUL behind a count
//   that includes the NUL, or any raw bytes behind any count.
// - An optional item (std::optional) is written when present. The slot in
//   front of it holds the item's tag by default, or 0 when the item is absent;
//   a xxxSlot field overrides that value either way, so a test can announce an
//   item that is not there or hide one that is.
// - A count defaults to the size of its list; a count override is written
//   as given while the list is still written as given.
// - A record whose opening tag is not its own (name record, transform,
//   camera entry, settings, node entry, material frame, geometry tags) is
//   written only up to that tag, because that is where such a record ends.
//
// Tag values are kept here apart from the reader's table so the two check
// each other. This library does not depend on the reader.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kvdwriter {

enum Tag : uint16_t {
    kFileStart = 598,
    kHeaderText = 579,
    kHeaderValues = 585,
    kMaterialSection = 262,
    kMaterialList = 342,
    kMaterialName = 352,
    kMaterialClass = 353,
    kMapList = 601,
    kSubMaterialList = 344,
    kMapName = 408,
    kMapClass = 409,
    kImageFile = 514,
    kImageBlock = 517,
    kCameraEntry = 259,
    kCameraPlacement = 337,
    kCameraTarget = 338,
    kCameraSettings = 323,
    kCameraSectionEnd = 768,
    kName = 265,
    kSecondaryName = 272,
    kTransform = 264,
    kNodeEntry = 263,
    kMeshNode = 257,
    kMaterialIndex = 343,
    kGeometryBlock = 276,
    kVertexList = 280,
    kFaceList = 288,
};

// Map kinds whose image file becomes a host texture.
enum MapKind : uint16_t {
    kFirstTextureMap = 537,
    kSecondTextureMap = 550,
};

inline constexpr std::string_view kSignature = "*KOLVENDRASIT";

// A length-prefixed string as stored: a 32-bit count, then bytes.
struct KvdString {
    // The text stored with its NUL; the count includes the NUL.
    KvdString(std::string_view text = {});
    KvdString(const char* text) : KvdString(std::string_view(text)) {}
    KvdString(const std::string& text) : KvdString(std::string_view(text)) {}
    // Exactly these bytes behind this count, agreeing with them or not.
    static KvdString Raw(uint32_t count, std::string_view bytes);

    uint32_t count = 1;
    std::string bytes;
};

struct HeaderDescription {
    uint16_t firstTag = kFileStart;
    KvdString signature = kSignature;
    uint16_t formatWord = 0;
    std::optional<KvdString> text{};
    std::optional<uint16_t> textSlot{};
    std::array<uint16_t, 4> words{};
    std::optional<std::array<float, 3>> values{};
    std::optional<uint16_t> valuesSlot{};
};

struct ImageBlockDescription {
    uint16_t code = 0;
    std::array<uint32_t, 9> values{};
    uint32_t trailingValue = 0;
    uint16_t trailingCode = 0;
};

struct MapDescription {
    uint16_t kind = 0;
    std::optional<KvdString> name{};
    std::optional<uint16_t> nameSlot{};
    std::optional<KvdString> className{};
    std::optional<uint16_t> classSlot{};
    uint16_t code = 0;
    uint32_t value = 0;
    // Image slot 514, the file name, then the block (after 517) or not, then
    // the image code. Without an image file the one slot value written is the
    // nested-map slot.
    std::optional<KvdString> imageFile{};
    std::optional<uint16_t> imageSlot{};
    std::optional<ImageBlockDescription> imageBlock{};
    std::optional<uint16_t> imageBlockSlot{};
    uint16_t imageCode = 0;
    std::optional<std::vector<MapDescription>> nestedMaps{};
    std::optional<uint16_t> nestedMapSlot{};
    std::optional<uint16_t> nestedMapCount{};
    uint16_t closingTag = 0;
};

struct StandardBlockDescription {
    uint32_t value1 = 0;
    uint32_t value2 = 0;
    uint16_t code1 = 0;
    uint16_t code2 = 0;
    uint16_t code3 = 0;
};

struct MaterialDescription {
    uint16_t code1 = 0;
    uint16_t code2 = 0;
    std::optional<KvdString> name{};
    std::optional<uint16_t> nameSlot{};
    std::optional<KvdString> className{};
    std::optional<uint16_t> classSlot{};
    std::array<float, 3> colour1{};
    std::array<float, 3> colour2{};
    std::array<float, 3> colour3{};
    float scalar1 = 0.0f;
    std::array<uint32_t, 3> scalars{};   // scalar2 to scalar4, bit for bit
    // Written when present, whatever the class name says.
    std::optional<StandardBlockDescription> standard{};
    std::optional<std::vector<MapDescription>> maps{};
    std::optional<uint16_t> mapSlot{};
    std::optional<uint16_t> mapCount{};
    std::optional<std::vector<MaterialDescription>> subMaterials{};
    std::optional<uint16_t> subMaterialSlot{};
    std::optional<uint16_t> subMaterialCount{};
    uint16_t closingTag = 0;
};

struct MaterialSectionDescription {
    uint16_t sectionTag = kMaterialSection;
    uint16_t listTag = kMaterialList;
    std::optional<uint16_t> count{};
    std::vector<MaterialDescription> materials{};
    uint16_t endWord = 0;
};

struct NameRecordDescription {
    uint16_t openingTag = kName;
    KvdString name{};
    std::optional<KvdString> secondaryName{};
    std::optional<uint16_t> secondarySlot{};
};

struct TransformDescription {
    uint16_t openingTag = kTransform;
    uint16_t nameTag = kName;
    KvdString name{};
    std::array<uint16_t, 9> words{};
    std::array<uint32_t, 26> values{};   // bit for bit; 12 to 14 hold the position
    uint16_t closingTag = 0;

    // A complete transform whose position is (x, y, z).
    static TransformDescription At(float x, float y, float z);
};

struct CameraSettingsDescription {
    uint16_t tag = kCameraSettings;
    uint16_t kind = 0;
    std::array<uint32_t, 6> parameters{};
};

struct CameraPlacementDescription {
    std::optional<TransformDescription> target{};
    std::optional<uint16_t> targetSlot{};
    TransformDescription eye{};
    CameraSettingsDescription settings{};
};

struct CameraDescription {
    uint16_t entryTag = kCameraEntry;
    NameRecordDescription name{};
    std::optional<CameraPlacementDescription> placement{};
    std::optional<uint16_t> placementSlot{};
    uint16_t closingTag = 0;
};

using Vertex = std::array<float, 3>;
using Face = std::array<int32_t, 3>;

struct GeometryDescription {
    uint16_t openingTag = kGeometryBlock;
    uint16_t word = 0;
    std::optional<int32_t> vertexCount{};
    std::optional<int32_t> faceCount{};
    uint16_t vertexTag = kVertexList;
    uint32_t vertexListWord = 0;
    std::vector<Vertex> vertices{};
    uint16_t faceTag = kFaceList;
    uint32_t faceListWord = 0;
    std::vector<Face> faces{};
    uint16_t closingTag = 0;
};

struct MeshDescription {
    NameRecordDescription name{};
    TransformDescription transform{};
    std::array<uint16_t, 3> words{};
    // Tag 343 and this index when present, else a tag and the colour.
    std::optional<uint16_t> materialIndex{};
    std::optional<uint16_t> materialTag{};
    std::array<float, 3> colour{};
    GeometryDescription geometry{};
    uint16_t closingTag = 0;
};

struct NodeDescription {
    uint16_t openingTag = kNodeEntry;
    KvdString label{};
    // A mesh node has node type 257 and its body; any other node has its
    // child count as node type.
    std::optional<MeshDescription> mesh{};
    std::optional<uint16_t> nodeType{};
    std::optional<uint16_t> childCount{};   // a mesh node's child count
    std::vector<NodeDescription> children{};
};

struct SceneDescription {
    HeaderDescription header{};
    MaterialSectionDescription materials{};
    std::optional<uint16_t> objectCount{};
    std::optional<uint16_t> cameraCount{};
    std::vector<CameraDescription> cameras{};
    uint16_t cameraSectionEnd = kCameraSectionEnd;
    std::vector<NodeDescription> nodes{};
};

// Fills out[i] with item first + i of a streamed list.
using VertexSource = std::function<void(int64_t first, std::span<Vertex> out)>;
using FaceSource = std::function<void(int64_t first, std::span<Face> out)>;

struct StreamedMeshScene;

// Appends kvd data to memory, or streams it to a file through a bounded
// buffer. Every method appends at the end and returns the writer.
class KvdWriter {
public:
    KvdWriter() = default;
    explicit KvdWriter(std::FILE* out);
    KvdWriter(const KvdWriter&) = delete;
    KvdWriter& operator=(const KvdWriter&) = delete;

    KvdWriter& U16(uint16_t value);
    KvdWriter& U32(uint32_t value);
    KvdWriter& I32(int32_t value);
    KvdWriter& F32(float value);
    KvdWriter& Bytes(std::string_view bytes);
    // The text with its NUL, behind a count that includes the NUL.
    KvdWriter& String(std::string_view text);
    // This count, then exactly these bytes.
    KvdWriter& RawString(uint32_t count, std::string_view bytes);
    KvdWriter& StoredString(const KvdString& string);

    KvdWriter& Header(const HeaderDescription& header);
    KvdWriter& MaterialSection(const MaterialSectionDescription& section);
    KvdWriter& Material(const MaterialDescription& material);
    KvdWriter& Map(const MapDescription& map);
    KvdWriter& ImageBlock(const ImageBlockDescription& block);
    KvdWriter& NameRecord(const NameRecordDescription& record);
    KvdWriter& Transform(const TransformDescription& transform);
    KvdWriter& Camera(const CameraDescription& camera);
    KvdWriter& CameraSettings(const CameraSettingsDescription& settings);
    KvdWriter& Geometry(const GeometryDescription& geometry);
    KvdWriter& Mesh(const MeshDescription& mesh);
    KvdWriter& Node(const NodeDescription& node);
    KvdWriter& Scene(const SceneDescription& scene);

    // The geometry frame of the description with vertexCount vertices and
    // faceCount faces drawn from the sources in chunks; its lists are ignored.
    KvdWriter& StreamedGeometry(const GeometryDescription& frame, int32_t vertexCount,
                                const VertexSource& vertices, int32_t faceCount,
                                const FaceSource& faces);

    // The bytes appended so far (in-memory writer only).
    const std::vector<uint8_t>& bytes() const { return buffer_; }
    uint64_t size() const { return flushed_ + buffer_.size(); }
    // Sends buffered bytes to the file. False when any write failed.
    bool Flush();

private:
    friend bool WriteStreamedMeshScene(std::FILE* out, const StreamedMeshScene& scene);

    KvdWriter& Slot(std::optional<uint16_t> slot, bool present, uint16_t tag);
    // The slot, then the string when present.
    KvdWriter& SlotString(std::optional<uint16_t> slot, const std::optional<KvdString>& item,
                          uint16_t tag);
    // The slot, then the count and the records when the list is present.
    template <class Item>
    KvdWriter& SlotList(std::optional<uint16_t> slot, const std::optional<std::vector<Item>>& list,
                        std::optional<uint16_t> count, uint16_t tag,
                        KvdWriter& (KvdWriter::*writeItem)(const Item&))
    {
        Slot(slot, list.has_value(), tag);
        if (list) {
            U16(count.value_or(static_cast<uint16_t>(list->size())));
            for (const Item& item : *list)
                (this->*writeItem)(item);
        }
        return *this;
    }
    // The stored counts may differ from the numbers of items written.
    KvdWriter& StreamedGeometry(const GeometryDescription& frame, int32_t storedVertexCount,
                                int32_t vertexCount, const VertexSource& vertices,
                                int32_t storedFaceCount, int32_t faceCount,
                                const FaceSource& faces);
    KvdWriter& MeshWith(const MeshDescription& mesh,
                        const std::function<void(KvdWriter&)>& writeGeometry);
    KvdWriter& NodeWith(const NodeDescription& node,
                        const std::function<void(KvdWriter&)>& writeMesh);
    // Header to camera section end tag.
    KvdWriter& SceneFrame(const HeaderDescription& header,
                          const MaterialSectionDescription& materials, uint16_t objectCount,
                          uint16_t cameraCount, const std::vector<CameraDescription>& cameras,
                          uint16_t cameraSectionEnd);
    void FlushWhenFull();

    std::FILE* out_ = nullptr;
    std::vector<uint8_t> buffer_{};
    uint64_t flushed_ = 0;
    bool failed_ = false;
};

// The whole file of a scene.
std::vector<uint8_t> SceneBytes(const SceneDescription& scene);

// Writes bytes as the whole of a new file at path; false when that failed.
bool WriteBytesToFile(const std::string& path, const std::vector<uint8_t>& bytes);

// A scene of one mesh node streamed to a file without holding the mesh in
// memory: header, materials and cameras as described, object count 1, the
// camera end tag, then meshNode (mesh required; its geometry lists ignored)
// with vertexCount and faceCount items from the sources, and child count 0.
struct StreamedMeshScene {
    HeaderDescription header{};
    MaterialSectionDescription materials{};
    std::vector<CameraDescription> cameras{};
    NodeDescription meshNode{};
    int32_t vertexCount = 0;
    VertexSource vertices{};
    int32_t faceCount = 0;
    FaceSource faces{};
};
// False when meshNode has no mesh or a write failed.
bool WriteStreamedMeshScene(std::FILE* out, const StreamedMeshScene& scene);

// A flat rows x columns grid of vertices with two triangles per cell, a
// deterministic mesh of any size for streamed scenes.
struct GridSurface {
    int32_t rows = 2;
    int32_t columns = 2;

    // The square grid whose geometry block holds about byteBudget bytes.
    static GridSurface ForGeometryBytes(uint64_t byteBudget);
    int32_t vertexCount() const { return rows * columns; }
    int32_t faceCount() const { return 2 * (rows - 1) * (columns - 1); }
    void FillVertices(int64_t first, std::span<Vertex> out) const;
    void FillFaces(int64_t first, std::span<Face> out) const;
    // Every face of the grid, for scenes held in memory.
    std::vector<Face> Faces() const;
};

// A streamed scene of one grid mesh of about totalBytes, with one material
// and one camera: the benchmark's large input.
StreamedMeshScene GridScene(uint64_t totalBytes);

}  // namespace kvdwriter
