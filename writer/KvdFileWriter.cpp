#include "writer/KvdFileWriter.h"

#include <algorithm>
#include <cmath>
#include <bit>
#include <string_view>

#include "reader/FormatTags.h"
#include "writer/ByteEncoding.h"
#include "writer/GbkName.h"
#include "writer/NodeLayout.h"

namespace kvdfile {

namespace {

// Bytes collect up to this much before they go out.
constexpr size_t kFlushBytes = size_t{1} << 20;
// Points and triangles are drawn from the feed this many at a time.
constexpr uint64_t kBlockItems = uint64_t{1} << 14;

constexpr std::string_view kSignature = "*KOLVENDRASIT";
// A material of the modelling program's standard kind, and its maps as
// bitmaps: what the exporter's own files say.
constexpr std::string_view kStandardClass = "Standard";
constexpr std::string_view kBitmapClass = "Bitmap";
// Any value but a slot's own tag says that its item is absent.
constexpr uint16_t kAbsent = 0;

class Writer {
public:
    Writer(const SceneToWrite& scene, MeshFeed& feed, ByteOutput& out, WriteProgress* progress)
        : scene_(scene), feed_(feed), out_(out), progress_(progress)
    {
        buffer_.reserve(kFlushBytes + 4096);
    }

    WriteResult Run()
    {
        const NodeLayout layout = LayOutNodes(scene_.roots);
        if (layout.flattenedNodes > 0)
            Note("nodes nested deeper than " + std::to_string(kMaxNodeDepth) +
                 " levels were moved up to that level (their meshes stay where they are)");
        if (layout.addedGroups > 0)
            Note("lists of more nodes than the format counts were put into " + std::to_string(layout.addedGroups) +
                 " groups");
        Header();
        Materials();
        PutU16(buffer_, static_cast<uint16_t>(layout.roots.size()));
        Cameras();
        PutU16(buffer_, tags::kCameraSectionEnd);
        for (const LaidNode& node : layout.roots) {
            if (!Node(node))
                break;
        }
        Flush();
        result_.written = error_.empty();
        result_.error = error_;
        result_.bytes = flushed_;
        NameNotes();
        return std::move(result_);
    }

private:
    void Note(const std::string& note)
    {
        if (std::find(result_.notes.begin(), result_.notes.end(), note) == result_.notes.end())
            result_.notes.push_back(note);
    }

    bool Fail(const std::string& error)
    {
        if (error_.empty())
            error_ = error;
        return false;
    }

    void Flush()
    {
        if (buffer_.empty() || !error_.empty())
            return;
        if (!out_.Write(buffer_.data(), buffer_.size())) {
            Fail(out_.error());
            return;
        }
        flushed_ += buffer_.size();
        buffer_.clear();
        if (progress_ != nullptr)
            progress_->Written(flushed_);
    }

    void FlushWhenFull()
    {
        if (buffer_.size() >= kFlushBytes)
            Flush();
    }

    // A name as the file stores it; what was fitted is said once at the end.
    void PutName(std::string_view utf8)
    {
        const GbkName name = ToGbkName(utf8);
        namesReplaced_ += name.replaced;
        namesCut_ += name.cut;
        PutString(buffer_, name.bytes);
    }

    void NameNotes()
    {
        if (namesReplaced_ > 0)
            Note(std::to_string(namesReplaced_) + " names had characters GBK lacks, written as '?'");
        if (namesCut_ > 0)
            Note(std::to_string(namesCut_) + " names were cut to the " + std::to_string(kMaxTextBytes) +
                 " bytes the format holds");
    }

    void Header()
    {
        PutU16(buffer_, tags::kFileStart);
        PutString(buffer_, kSignature);
        PutU16(buffer_, 0);   // format word
        if (scene_.title.empty()) {
            PutU16(buffer_, kAbsent);
        } else {
            PutU16(buffer_, tags::kHeaderText);
            PutName(scene_.title);
        }
        for (int word = 0; word < 4; ++word)
            PutU16(buffer_, 0);
        PutU16(buffer_, kAbsent);   // no values block
    }

    void Materials()
    {
        materialCount_ = std::min(scene_.materials.size(), kMaxMaterials);
        if (materialCount_ < scene_.materials.size())
            Note(std::to_string(scene_.materials.size() - materialCount_) + " materials past the format's " +
                 std::to_string(kMaxMaterials) + " were left out; their meshes keep their colours");
        PutU16(buffer_, tags::kMaterialSection);
        PutU16(buffer_, tags::kMaterialList);
        PutU16(buffer_, static_cast<uint16_t>(materialCount_));
        for (size_t i = 0; i < materialCount_; ++i)
            Material(scene_.materials[i]);
        PutU16(buffer_, 0);   // end word
        FlushWhenFull();
    }

    void PutColour(const Colour& colour)
    {
        for (float component : colour)
            PutF32(buffer_, component);
    }

    void Material(const MaterialToWrite& material)
    {
        PutU16(buffer_, 0);   // codes
        PutU16(buffer_, 0);
        PutU16(buffer_, tags::kMaterialName);
        PutName(material.name);
        PutU16(buffer_, tags::kMaterialClass);
        PutString(buffer_, kStandardClass);
        PutColour(material.ambient);
        PutColour(material.diffuse);
        PutColour(material.specular);
        PutF32(buffer_, material.shininess);
        for (int value = 0; value < 3; ++value)
            PutU32(buffer_, 0);
        // The standard kind's block: two values and three codes.
        PutU32(buffer_, 0);
        PutU32(buffer_, 0);
        for (int code = 0; code < 3; ++code)
            PutU16(buffer_, 0);

        std::vector<std::string> images;
        for (const MaterialMap& map : material.maps) {
            const GbkName image = ToGbkName(map.imageFile, SIZE_MAX);
            // A cut or altered file name would name another file: no map.
            if (image.bytes.empty() || image.replaced || image.cut || image.bytes.size() > kMaxTextBytes) {
                Note("image file names the format cannot hold were left out (longer than " +
                     std::to_string(kMaxTextBytes) + " bytes in GBK, or with characters GBK lacks)");
                images.emplace_back();
                continue;
            }
            images.push_back(image.bytes);
        }
        const auto mapCount = static_cast<size_t>(std::count_if(images.begin(), images.end(),
                                                               [](const std::string& i) { return !i.empty(); }));
        if (mapCount == 0) {
            PutU16(buffer_, kAbsent);
        } else {
            PutU16(buffer_, tags::kMapList);
            PutU16(buffer_, static_cast<uint16_t>(std::min<size_t>(mapCount, kMaxListEntries)));
            size_t written = 0;
            for (size_t i = 0; i < material.maps.size() && written < kMaxListEntries; ++i) {
                if (images[i].empty())
                    continue;
                Map(material.maps[i].role, images[i], ++written);
            }
        }
        PutU16(buffer_, kAbsent);   // no sub-materials
        PutU16(buffer_, 0);         // closing tag
    }

    void Map(MapRole role, const std::string& gbkImage, size_t number)
    {
        PutU16(buffer_, static_cast<uint16_t>(role));
        PutU16(buffer_, tags::kMapName);
        PutString(buffer_, "Map #" + std::to_string(number));
        PutU16(buffer_, tags::kMapClass);
        PutString(buffer_, kBitmapClass);
        PutU16(buffer_, 0);   // code
        PutU32(buffer_, 0);   // value
        PutU16(buffer_, tags::kImageFile);
        PutString(buffer_, gbkImage);
        PutU16(buffer_, 0);         // image code: no image block
        PutU16(buffer_, kAbsent);   // no nested maps
        PutU16(buffer_, 0);         // closing tag
    }

    // A transform record placed at position, turned and scaled by nothing.
    void Transform(std::string_view utf8Name, const Point& position)
    {
        PutU16(buffer_, tags::kTransform);
        PutU16(buffer_, tags::kName);
        PutName(utf8Name);
        for (int word = 0; word < 9; ++word)
            PutU16(buffer_, 0);
        // Only the position (values 12 to 14) has a meaning the reader knows;
        // the first nine values are written as the identity rotation.
        for (int value = 0; value < 26; ++value) {
            if (value >= 12 && value <= 14)
                PutF32(buffer_, position[static_cast<size_t>(value - 12)]);
            else
                PutF32(buffer_, (value == 0 || value == 4 || value == 8) ? 1.0f : 0.0f);
        }
        PutU16(buffer_, 0);   // closing tag
    }

    void Cameras()
    {
        const size_t count = std::min(scene_.cameras.size(), kMaxCameras);
        if (count < scene_.cameras.size())
            Note(std::to_string(scene_.cameras.size() - count) + " cameras past the format's " +
                 std::to_string(kMaxCameras) + " were left out");
        PutU16(buffer_, static_cast<uint16_t>(count));
        for (size_t i = 0; i < count; ++i) {
            const CameraToWrite& camera = scene_.cameras[i];
            for (const Point* point : {&camera.eye, &camera.target}) {
                if (camera.placed && !std::all_of(point->begin(), point->end(), [](float v) { return std::isfinite(v); })) {
                    Fail("camera " + std::to_string(i + 1) + " has a point that is not a finite number");
                    return;
                }
            }
            PutU16(buffer_, tags::kCameraEntry);
            PutU16(buffer_, tags::kName);
            PutName(camera.name);
            PutU16(buffer_, kAbsent);   // no secondary name
            if (camera.placed) {
                PutU16(buffer_, tags::kCameraPlacement);
                PutU16(buffer_, tags::kCameraTarget);
                Transform(camera.name, camera.target);
                Transform(camera.name, camera.eye);
                PutU16(buffer_, tags::kCameraSettings);
                PutU16(buffer_, 0);   // kind
                for (int parameter = 0; parameter < 6; ++parameter)
                    PutU32(buffer_, 0);
            } else {
                PutU16(buffer_, kAbsent);
            }
            PutU16(buffer_, 0);   // closing tag
            FlushWhenFull();
        }
    }

    // Writes the node and its subtree; false once writing has failed.
    bool Node(const LaidNode& node)
    {
        PutU16(buffer_, tags::kNodeEntry);
        PutName(node.source != nullptr ? node.source->name : std::string_view("group"));
        if (!node.isGroup()) {
            PutU16(buffer_, tags::kMeshNode);
            if (!Mesh(*node.source))
                return false;
        }
        PutU16(buffer_, static_cast<uint16_t>(node.children.size()));
        for (const LaidNode& child : node.children) {
            if (!Node(child))
                return false;
        }
        return error_.empty();
    }

    bool Mesh(const NodeToWrite& node)
    {
        const std::string where = "mesh " + std::to_string(result_.meshes + 1) +
                                  (node.name.empty() ? std::string() : " (" + node.name + ")");
        MeshHead head;
        if (!feed_.Begin(node.mesh, head))
            return Fail(where + ": " + feed_.error());
        struct EndAtExit {
            MeshFeed& feed;
            ~EndAtExit() { feed.End(); }
        } end{feed_};
        if (head.pointCount > kMaxMeshItems || head.triangleCount > kMaxMeshItems)
            return Fail(where + " has more points or triangles than the format's 32-bit counts hold");
        if (head.material >= static_cast<int64_t>(scene_.materials.size()))
            return Fail(where + " names material " + std::to_string(head.material + 1) + " of " +
                        std::to_string(scene_.materials.size()));

        const std::string_view name = head.name;
        PutU16(buffer_, tags::kName);
        PutName(name);
        PutU16(buffer_, kAbsent);   // no secondary name
        Transform(name, Point{0.0f, 0.0f, 0.0f});
        for (int word = 0; word < 3; ++word)
            PutU16(buffer_, 0);
        if (head.material >= 0 && static_cast<size_t>(head.material) < materialCount_) {
            PutU16(buffer_, tags::kMaterialIndex);
            PutU16(buffer_, static_cast<uint16_t>(head.material));
        } else {
            // No material, or one past the format's count: the colour it had.
            const Colour& colour =
                head.material >= 0 ? scene_.materials[static_cast<size_t>(head.material)].diffuse : head.colour;
            PutU16(buffer_, kAbsent);
            PutColour(colour);
        }

        PutU16(buffer_, tags::kGeometryBlock);
        PutU16(buffer_, 0);   // geometry word
        PutU32(buffer_, static_cast<uint32_t>(head.pointCount));
        PutU32(buffer_, static_cast<uint32_t>(head.triangleCount));
        PutU16(buffer_, tags::kVertexList);
        PutU32(buffer_, 0);   // vertex list word
        if (!Points(head, where))
            return false;
        PutU16(buffer_, tags::kFaceList);
        PutU32(buffer_, 0);   // face list word
        if (!Triangles(head, where))
            return false;
        PutU16(buffer_, 0);   // geometry block's closing tag
        PutU16(buffer_, 0);   // mesh body's closing tag
        ++result_.meshes;
        result_.points += head.pointCount;
        result_.triangles += head.triangleCount;
        return error_.empty();
    }

    // count items of three four-byte values drawn from the feed in blocks,
    // each value checked (false: writing has failed) and written as it is.
    template <class Value, class Fetch, class Check>
    bool Blocks(uint64_t count, std::vector<Value>& block, Fetch fetch, Check check)
    {
        for (uint64_t first = 0; first < count; first += kBlockItems) {
            const uint64_t items = std::min(kBlockItems, count - first);
            block.resize(items * 3);
            fetch(first, std::span<Value>(block));
            for (uint64_t i = 0; i < items * 3; ++i) {
                if (!check(first + i / 3, block[i]))
                    return false;
            }
            const size_t at = buffer_.size();
            buffer_.resize(at + items * 12);
            for (uint64_t i = 0; i < items * 3; ++i)
                StoreU32(buffer_.data() + at + 4 * i, std::bit_cast<uint32_t>(block[i]));
            FlushWhenFull();
            if (!error_.empty())
                return false;
        }
        return true;
    }

    bool Points(const MeshHead& head, const std::string& where)
    {
        return Blocks(
            head.pointCount, block_, [&](uint64_t first, std::span<float> out) { feed_.Points(first, out); },
            [&](uint64_t point, float value) {
                return std::isfinite(value) ||
                       Fail(where + ": point " + std::to_string(point) + " is not a finite number");
            });
    }

    bool Triangles(const MeshHead& head, const std::string& where)
    {
        return Blocks(
            head.triangleCount, corners_, [&](uint64_t first, std::span<uint32_t> out) { feed_.Triangles(first, out); },
            [&](uint64_t triangle, uint32_t corner) {
                return corner < head.pointCount ||
                       Fail(where + ": triangle " + std::to_string(triangle) + " names point " +
                            std::to_string(corner) + " of " + std::to_string(head.pointCount));
            });
    }

    const SceneToWrite& scene_;
    MeshFeed& feed_;
    ByteOutput& out_;
    WriteProgress* progress_;
    std::string buffer_;
    uint64_t flushed_ = 0;
    std::string error_;
    WriteResult result_;
    size_t materialCount_ = 0;
    size_t namesReplaced_ = 0;
    size_t namesCut_ = 0;
    std::vector<float> block_;
    std::vector<uint32_t> corners_;
};

}  // namespace

WriteResult WriteKvdScene(const SceneToWrite& scene, MeshFeed& feed, ByteOutput& out, WriteProgress* progress)
{
    return Writer(scene, feed, out, progress).Run();
}

}  // namespace kvdfile
