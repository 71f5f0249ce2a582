#include "tools/export/GltfBinaryData.h"

#include <cstdio>

namespace {
uint64_t RoundUp4(uint64_t n)
{
    return (n + 3) & ~uint64_t{3};
}
}  // namespace

std::string Gibibytes(uint64_t bytes)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f GiB", static_cast<double>(bytes) / double(uint64_t{1} << 30));
    return text;
}

std::string GlbTooLargeError(const std::string& need, uint64_t maxGlbBytes)
{
    return "the scene needs a .glb of " + need + ", more than the " + Gibibytes(maxGlbBytes) +
           " a .glb can hold; convert to .gltf instead, which keeps its geometry in a .bin file beside it of any "
           "size";
}

GltfBinaryData::GltfBinaryData(std::string outputPath, uint64_t maxGlbBytes, WriteStatus& status)
    : outputPath_(std::move(outputPath)), maxGlbBytes_(maxGlbBytes), status_(status)
{
}

bool GltfBinaryData::Open()
{
    return SegmentFile(kPositions) != nullptr;
}

TemporaryFile* GltfBinaryData::SegmentFile(Segment segment)
{
    if (status_.failed())
        return nullptr;
    if (!segments_[segment]) {
        auto file = std::make_unique<TemporaryFile>(outputPath_);
        if (!file->Create()) {
            status_.Fail(WriteFailure::Io, file->error());
            return nullptr;
        }
        segments_[segment] = std::move(file);
    }
    return segments_[segment].get();
}

uint64_t GltfBinaryData::SegmentBytes() const
{
    uint64_t total = 0;
    for (const auto& segment : segments_)
        total += segment ? RoundUp4(segment->size()) : 0;
    return total;
}

bool GltfBinaryData::Put(Segment segment, const void* data, size_t size)
{
    TemporaryFile* file = SegmentFile(segment);
    if (file == nullptr)
        return false;
    if (!file->Write(data, size)) {
        status_.Fail(WriteFailure::Io, file->error());
        return false;
    }
    // Stop as soon as the .glb can no longer fit: the JSON and the chunk
    // headers only add to it.
    const uint64_t glbBytes = kGlbHeaderBytes + 2 * kGlbChunkHeaderBytes + SegmentBytes();
    if (maxGlbBytes_ > 0 && glbBytes > maxGlbBytes_) {
        status_.Fail(WriteFailure::TooLarge, GlbTooLargeError("at least " + Gibibytes(glbBytes), maxGlbBytes_));
        return false;
    }
    return true;
}

uint64_t GltfBinaryData::StartView(Segment segment)
{
    TemporaryFile* file = SegmentFile(segment);
    if (file == nullptr)
        return 0;
    if (!file->PadTo(4, 0))
        status_.Fail(WriteFailure::Io, file->error());
    return file->size();
}

int GltfBinaryData::AddView(GltfJson& document, Segment segment, uint64_t start, uint64_t length, int target)
{
    GltfJson view = {{"buffer", 0}, {"byteLength", length}, {"byteOffset", start}};
    if (target != 0)
        view["target"] = target;
    viewSegments_.push_back(segment);
    return AppendTo(document, "bufferViews", std::move(view));
}

int GltfBinaryData::AddBlob(GltfJson& document, const void* data, size_t size)
{
    const uint64_t start = StartView(kBlobs);
    if (!Put(kBlobs, data, size))
        return -1;
    return AddView(document, kBlobs, start, size, 0);
}

bool GltfBinaryData::Seal(GltfJson& document, uint64_t& length)
{
    uint64_t base[kSegmentCount] = {};
    length = 0;
    for (int s = 0; s < kSegmentCount; ++s) {
        base[s] = length;
        if (segments_[s] && segments_[s]->size() > 0) {
            if (!segments_[s]->PadTo(4, 0)) {
                status_.Fail(WriteFailure::Io, segments_[s]->error());
                return false;
            }
            length += segments_[s]->size();
        }
    }
    if (viewSegments_.empty())
        return true;
    GltfJson& views = document["bufferViews"];
    for (size_t v = 0; v < viewSegments_.size(); ++v) {
        GltfJson& view = views[v];
        const uint64_t offset = view["byteOffset"].get<uint64_t>() + base[viewSegments_[v]];
        // An offset of 0 is the default, and left out.
        if (offset == 0)
            view.erase("byteOffset");
        else
            view["byteOffset"] = offset;
    }
    return true;
}

bool GltfBinaryData::CopyInto(TemporaryFile& out, ProgressSink* progress, uint64_t length)
{
    uint64_t copied = 0;
    for (auto& segment : segments_) {
        if (segment && segment->size() > 0 && !out.Append(*segment, progress, copied, length)) {
            status_.Fail(WriteFailure::Io, out.error());
            return false;
        }
        segment.reset();   // its disk space goes back at once
    }
    return true;
}
