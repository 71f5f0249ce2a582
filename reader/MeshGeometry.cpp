// The geometry block of a mesh: the vertex list into memory, then the mesh
// handed on with its material or own colour, and its faces in blocks as
// they are read.
#include <algorithm>
#include <bit>
#include <cstring>

#include "reader/FormatTags.h"
#include "reader/LittleEndian.h"
#include "reader/SceneReader.h"

namespace {
constexpr size_t kVertexBytes = 12;
constexpr size_t kFaceBytes = 12;
// Faces handed on per AddFaces call: large enough that the call costs
// nothing per face, small enough to stay in the first-level cache.
constexpr size_t kFaceBlock = 1024;
// The colour of a mesh whose material index names no material of the file.
constexpr std::array<float, 3> kNeutralColour = {0.5f, 0.5f, 0.5f};

uint64_t PositiveCount(int32_t count)
{
    return count > 0 ? static_cast<uint64_t>(count) : 0;
}
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
    const std::span<const MeshVertex> vertices = ReadVertices(vertexCount);
    if (ReadTag() != tags::kFaceList)
        return;
    ReadValue();   // face list word, unused
    if (damaged_)
        return;

    MeshView view{mesh.name, MeshView::kOwnColour, mesh.colour, vertices,
                  std::min(PositiveCount(faceCount), input_->remainingBound() / kFaceBytes)};
    if (mesh.materialIndex != MeshRecord::kOwnColour) {
        if (static_cast<size_t>(mesh.materialIndex) < fileMaterialCount_)
            view.fileMaterial = mesh.materialIndex;
        else
            view.colour = kNeutralColour;
    }

    // A refused mesh still has its faces passed over, so the rest of the
    // file is read in step.
    if (destination_.BeginMesh(view)) {
        ReadFaces(faceCount, vertices.size());
        destination_.EndMesh();
    } else {
        SkipFaces(faceCount);
    }
    if (damaged_)
        return;
    ReadTag();   // closing tag, any value
}

// The count is believed only as far as the bytes left can hold vertices, so
// a false count costs no memory. A list the bytes left can hold is read in
// one go, into the destination's room when it offers one; otherwise into the
// reader's array, which grows by what the input holds.
std::span<const MeshVertex> SceneReader::ReadVertices(int32_t vertexCount)
{
    vertices_.clear();
    uint64_t left = PositiveCount(vertexCount);
    if (left > 0 && left <= input_->remainingBound() / kVertexBytes) {
        if (std::byte* room = destination_.VertexRoom(static_cast<size_t>(left))) {
            ReadVertexRun(room, static_cast<size_t>(left));
            return {reinterpret_cast<const MeshVertex*>(room), static_cast<size_t>(left)};
        }
    }
    while (left > 0 && !damaged_) {
        const uint64_t room = std::max<uint64_t>(input_->remainingBound() / kVertexBytes, 1);
        const auto step = static_cast<size_t>(std::min(left, room));
        const size_t done = vertices_.size();
        vertices_.resize(done + step);
        ReadVertexRun(vertices_.data() + done, step);
        left -= step;
    }
    return vertices_;
}

// count vertices as MeshVertex lays them out, stored with memcpy so that out
// may be raw bytes.
void SceneReader::ReadVertexRun(void* out, size_t count)
{
    if constexpr (std::endian::native == std::endian::little) {
        // The file's bytes are the floats as they lie in memory.
        ReadBytes(out, count * kVertexBytes);
    } else {
        auto* bytes = static_cast<std::byte*>(out);
        uint8_t raw[kVertexBytes];
        for (size_t i = 0; i < count; ++i) {
            if (!ReadBytes(raw, kVertexBytes))
                return;
            const MeshVertex vertex{LoadF32(raw), LoadF32(raw + 4), LoadF32(raw + 8)};
            std::memcpy(bytes + i * kVertexBytes, &vertex, kVertexBytes);
        }
    }
}

// Runs of whole faces are decoded where they lie in the input buffer; a face
// split across two blocks is copied out by ReadBytes, which refills. Faces
// that name a vertex outside the list are left out.
void SceneReader::ReadFaces(int32_t faceCount, size_t vertexCount)
{
    MeshFace block[kFaceBlock];
    size_t filled = 0;
    const auto vertexTotal = static_cast<uint32_t>(vertexCount);
    auto take = [&](const uint8_t* raw) {
        const MeshFace face{LoadU32(raw), LoadU32(raw + 4), LoadU32(raw + 8)};
        // Negative indices wrap to huge unsigned ones: one test covers both.
        block[filled] = face;
        filled += (face.a < vertexTotal) & (face.b < vertexTotal) & (face.c < vertexTotal);
        if (filled == kFaceBlock) {
            destination_.AddFaces(std::span<const MeshFace>(block, filled));
            filled = 0;
        }
    };

    uint64_t left = PositiveCount(faceCount);
    while (left > 0 && !damaged_) {
        const size_t run = static_cast<size_t>(std::min<uint64_t>(left, input_->buffered() / kFaceBytes));
        if (run == 0) {
            uint8_t raw[kFaceBytes];
            if (!ReadBytes(raw, kFaceBytes))
                break;
            take(raw);
            --left;
            continue;
        }
        const uint8_t* record = input_->Peek(run * kFaceBytes);
        for (size_t i = 0; i < run; ++i, record += kFaceBytes)
            take(record);
        input_->Advance(run * kFaceBytes);
        left -= run;
    }
    if (filled > 0)
        destination_.AddFaces(std::span<const MeshFace>(block, filled));
}

void SceneReader::SkipFaces(int32_t faceCount)
{
    if (faceCount > 0 && !damaged_ && !input_->Skip(static_cast<uint64_t>(faceCount) * kFaceBytes))
        damaged_ = true;
}
