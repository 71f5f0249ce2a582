// The binary data of a glTF output, written while the scene is read: each
// kind of data (positions, indices, texture coordinates, and other data such
// as images) goes to a temporary file of its own beside the output, and a
// buffer view is made over each piece as it is written. Sealed, the kinds
// follow one another in the one buffer, each 4-byte aligned.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tools/export/GltfDocument.h"
#include "tools/export/SceneWriter.h"
#include "tools/export/TemporaryFile.h"

class ProgressSink;

// What a .glb counts its bytes in: its 12-byte header, and 8 bytes before
// each of its two chunks.
inline constexpr uint64_t kGlbHeaderBytes = 12;
inline constexpr uint64_t kGlbChunkHeaderBytes = 8;

// The reason a .glb is refused: it would need `need` ("at least 4.10 GiB").
std::string GlbTooLargeError(const std::string& need, uint64_t maxGlbBytes);
std::string Gibibytes(uint64_t bytes);

class GltfBinaryData {
public:
    enum Segment { kPositions, kIndices, kTexCoords, kBlobs, kSegmentCount };

    // outputPath: the temporary files go beside it. maxGlbBytes: the .glb
    // the data goes into may not pass it (0: a .gltf, no limit). Failures go
    // to status.
    GltfBinaryData(std::string outputPath, uint64_t maxGlbBytes, WriteStatus& status);

    // Makes the positions' file: if it cannot be made, nothing else can.
    bool Open();
    // Appends to the segment; false once anything failed.
    bool Put(Segment segment, const void* data, size_t size);
    // Pads the segment to 4 bytes and returns where a view written next starts.
    uint64_t StartView(Segment segment);
    // A buffer view over bytes [start, start + length) of the segment, added
    // to the document; its number. target 0: none.
    int AddView(GltfJson& document, Segment segment, uint64_t start, uint64_t length, int target);
    // Stores bytes in the other data and returns their view's number, or -1
    // after a failure.
    int AddBlob(GltfJson& document, const void* data, size_t size);

    // Pads every segment and makes every view's offset one within the whole
    // buffer; the buffer's length, or false on failure.
    bool Seal(GltfJson& document, uint64_t& length);
    // Copies the sealed segments in order to the end of out, letting go of
    // each as it is done; progress hears of the bytes copied out of length.
    bool CopyInto(TemporaryFile& out, ProgressSink* progress, uint64_t length);

private:
    TemporaryFile* SegmentFile(Segment segment);
    uint64_t SegmentBytes() const;

    std::string outputPath_;
    uint64_t maxGlbBytes_;
    WriteStatus& status_;
    std::unique_ptr<TemporaryFile> segments_[kSegmentCount];
    // The segment of each buffer view; its byteOffset is within the segment
    // until the data is sealed.
    std::vector<Segment> viewSegments_;
};
