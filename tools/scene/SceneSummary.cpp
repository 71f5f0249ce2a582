#include "tools/scene/SceneSummary.h"

#include <bit>
#include <cstring>
#include <limits>

namespace {
constexpr size_t kWordBits = 64;
// Four floats, one vector register (GCC and clang vector extension).
using Float4 = float __attribute__((vector_size(16)));

// The box of the vertices whose bits are set, in single precision: every
// coordinate is a float, and a float's order is its widened double's.
// NaN coordinates leave the box as it was.
struct FloatBox {
    std::array<float, 3> min{std::numeric_limits<float>::infinity(), std::numeric_limits<float>::infinity(),
                             std::numeric_limits<float>::infinity()};
    std::array<float, 3> max{-std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
                             -std::numeric_limits<float>::infinity()};

    void Add(const MeshVertex& v)
    {
        const float p[3] = {v.x, v.y, v.z};
        for (int i = 0; i < 3; ++i) {
            min[i] = p[i] < min[i] ? p[i] : min[i];
            max[i] = p[i] > max[i] ? p[i] : max[i];
        }
    }

    // A run of consecutive vertices, four at a time: their twelve floats are
    // three vectors of four in which lane k of vector j always holds
    // coordinate (4j + k) % 3, so three vector minima and maxima take the
    // box of the whole run, with the same rule for NaN as Add.
    void AddRun(const MeshVertex* first, size_t count)
    {
        Float4 low[3];
        Float4 high[3];
        for (int j = 0; j < 3; ++j) {
            for (int k = 0; k < 4; ++k) {
                low[j][k] = min[(4 * j + k) % 3];
                high[j][k] = max[(4 * j + k) % 3];
            }
        }
        const auto* bytes = reinterpret_cast<const unsigned char*>(first);
        size_t i = 0;
        for (; i + 4 <= count; i += 4, bytes += 4 * sizeof(MeshVertex)) {
            for (int j = 0; j < 3; ++j) {
                Float4 v;
                std::memcpy(&v, bytes + j * sizeof(Float4), sizeof v);
                low[j] = v < low[j] ? v : low[j];
                high[j] = v > high[j] ? v : high[j];
            }
        }
        for (int j = 0; j < 3; ++j) {
            for (int k = 0; k < 4; ++k) {
                const int axis = (4 * j + k) % 3;
                min[axis] = low[j][k] < min[axis] ? low[j][k] : min[axis];
                max[axis] = high[j][k] > max[axis] ? high[j][k] : max[axis];
            }
        }
        for (; i < count; ++i)
            Add(first[i]);
    }
};
}  // namespace

void SceneSummary::Materials(const MaterialList& fileMaterials)
{
    result_.materials.clear();
    for (const MaterialRecord& material : fileMaterials)
        result_.materials.push_back(FileSceneMaterial(material));
}

void SceneSummary::Camera(const CameraView& camera)
{
    result_.cameras.push_back(MakeSceneCamera(camera));
}

bool SceneSummary::BeginMesh(const MeshView& mesh)
{
    ObjectSummary& object = result_.objects.emplace_back();
    object.fileMaterial = mesh.fileMaterial;
    if (mesh.fileMaterial == MeshView::kOwnColour) {
        object.name = mesh.name;
        object.colour = mesh.colour;
    }
    vertices_ = mesh.vertices;
    used_.assign((mesh.vertices.size() + kWordBits - 1) / kWordBits, 0);
    triangles_ = 0;
    return true;
}

void SceneSummary::AddFaces(std::span<const MeshFace> faces)
{
    uint64_t* used = used_.data();
    for (const MeshFace& face : faces) {
        used[face.a / kWordBits] |= uint64_t{1} << (face.a % kWordBits);
        used[face.b / kWordBits] |= uint64_t{1} << (face.b % kWordBits);
        used[face.c / kWordBits] |= uint64_t{1} << (face.c % kWordBits);
    }
    triangles_ += faces.size();
}

void SceneSummary::EndMesh()
{
    ObjectSummary& object = result_.objects.back();
    FloatBox box;
    uint64_t count = 0;
    for (size_t word = 0; word < used_.size();) {
        // Meshes usually use every vertex: whole runs of full words at once.
        size_t fullEnd = word;
        while (fullEnd < used_.size() && used_[fullEnd] == ~uint64_t{0})
            ++fullEnd;
        if (fullEnd > word) {
            box.AddRun(vertices_.data() + word * kWordBits, (fullEnd - word) * kWordBits);
            count += (fullEnd - word) * kWordBits;
            word = fullEnd;
            continue;
        }
        uint64_t bits = used_[word];
        count += static_cast<uint64_t>(std::popcount(bits));
        const MeshVertex* first = vertices_.data() + word * kWordBits;
        for (; bits != 0; bits &= bits - 1)
            box.Add(first[std::countr_zero(bits)]);
        ++word;
    }
    object.triangles = triangles_;
    object.vertices = count;
    for (int i = 0; i < 3; ++i) {
        object.bounds.min[i] = box.min[i];
        object.bounds.max[i] = box.max[i];
    }
    result_.triangles += object.triangles;
    result_.vertices += object.vertices;
    result_.bounds.Add(object.bounds);
    vertices_ = {};
}
