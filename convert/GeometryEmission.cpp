// The geometry block of a mesh: vertices into memory, then one host object
// with one surface, each face sent to the host as soon as it is read.
#include <algorithm>
#include <cstring>
#include <vector>

#include "convert/LargePageAllocator.h"
#include "convert/MaterialConversion.h"
#include "host/SceneBuilder.h"
#include "reader/FormatTags.h"
#include "reader/LittleEndian.h"
#include "reader/SceneReader.h"

namespace {
constexpr size_t kVertexBytes = 12;
constexpr size_t kFaceBytes = 12;
constexpr size_t kMaxRecordBytes = std::max(kVertexBytes, kFaceBytes);
// The colour of a mesh whose material index names no material of the file.
constexpr std::array<float, 3> kNeutralColour = {0.5f, 0.5f, 0.5f};
}  // namespace

void SceneReader::EmitMeshGeometry(const MeshRecord& mesh)
{
    if (ReadTag() != tags::kGeometryBlock)
        return;
    ReadTag();   // geometry word, unused
    int32_t vertexCount = ReadInt();
    int32_t faceCount = ReadInt();
    if (ReadTag() != tags::kVertexList)
        return;
    ReadValue();   // vertex list word, unused

    // Calls decode with the bytes of each of count records of recordBytes,
    // in order, until the input ends. Runs of whole records are decoded where
    // they lie in the input buffer; a record split across two blocks is
    // copied out by ReadBytes, which refills.
    auto forEachRecord = [this](int32_t count, size_t recordBytes, auto&& decode) {
        uint8_t raw[kMaxRecordBytes];
        auto left = static_cast<size_t>(std::max(count, 0));
        while (left > 0) {
            size_t run = damaged_ ? 0 : std::min(left, input_->buffered() / recordBytes);
            if (run == 0) {
                if (!ReadBytes(raw, recordBytes))
                    return;
                decode(raw);
                --left;
                continue;
            }
            const uint8_t* record = input_->Peek(run * recordBytes);
            for (size_t i = 0; i < run; ++i, record += recordBytes)
                decode(record);
            input_->Advance(run * recordBytes);
            left -= run;
        }
    };

    std::vector<Point3d, LargePageAllocator<Point3d>> vertices;
    if (vertexCount > 0) {
        // The count is believed only as far as the bytes left can hold it.
        uint64_t plausible = std::min<uint64_t>(static_cast<uint64_t>(vertexCount),
                                                input_->remainingBound() / kVertexBytes);
        vertices.reserve(static_cast<size_t>(plausible));
        Point3d point;
        forEachRecord(vertexCount, kVertexBytes, [&](const uint8_t* raw) {
            point.x = LoadF32(raw);
            point.y = LoadF32(raw + 4);
            point.z = LoadF32(raw + 8);
            vertices.push_back(point);
        });
    }

    if (ReadTag() != tags::kFaceList)
        return;
    ReadValue();   // face list word, unused
    if (damaged_)
        return;

    tagMaterial material;
    std::memset(&material, 0, sizeof material);
    if (mesh.materialIndex == MeshRecord::kNoMaterial)
        BuildDefaultMaterial(mesh.name, mesh.colour, material);
    else if (static_cast<size_t>(mesh.materialIndex) < hostMaterials.size())
        material = hostMaterials[static_cast<size_t>(mesh.materialIndex)];
    else
        BuildDefaultMaterial(mesh.name, kNeutralColour, material);

    // A refused object or surface still has its faces passed over, so the
    // rest of the file is read in step.
    if (!GB_BeginObject()) {
        SkipFaces(faceCount);
    } else {
        if (!GB_BeginSurface(&material)) {
            SkipFaces(faceCount);
        } else {
            const auto vertexTotal = static_cast<uint32_t>(vertices.size());
            Point3d* base = vertices.data();
            forEachRecord(faceCount, kFaceBytes, [&](const uint8_t* raw) {
                uint32_t a = LoadU32(raw);
                uint32_t b = LoadU32(raw + 4);
                uint32_t c = LoadU32(raw + 8);
                // Negative indices wrap to huge unsigned ones: one test covers both.
                if (a < vertexTotal && b < vertexTotal && c < vertexTotal)
                    GB_AddTriangle(base + a, base + b, base + c);
            });
            GB_EndSurface();
        }
        GB_EndObject();
    }
    if (damaged_)
        return;
    ReadTag();   // closing tag, any value
}

void SceneReader::SkipFaces(int32_t faceCount)
{
    if (faceCount > 0 && !damaged_ && !input_->Skip(static_cast<uint64_t>(faceCount) * kFaceBytes))
        damaged_ = true;
}
