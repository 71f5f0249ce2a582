#include "tools/export/GltfFileAssembly.h"

#include <filesystem>
#include <memory>

#include "tools/scene/ImportProgress.h"

namespace {

constexpr uint32_t kGlbMagic = 0x46546C67;    // "glTF"
constexpr uint32_t kGlbVersion = 2;
constexpr uint32_t kJsonChunk = 0x4E4F534A;   // "JSON"
constexpr uint32_t kBinChunk = 0x004E4942;    // "BIN\0"

void PutLittleEndian32(std::string& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace

std::string GltfBinaryPath(const std::string& gltfPath)
{
    return std::filesystem::path(gltfPath).replace_extension(".bin").string();
}

bool AssembleGlb(const std::string& path, const std::string& json, GltfBinaryData& binary, uint64_t binaryLength,
                 uint64_t maxGlbBytes, ProgressSink* progress, WriteStatus& status)
{
    // The JSON chunk is padded with spaces to 4 bytes.
    const uint64_t jsonLength = (json.size() + 3) & ~uint64_t{3};
    const uint64_t total = kGlbHeaderBytes + kGlbChunkHeaderBytes + jsonLength +
                           (binaryLength > 0 ? kGlbChunkHeaderBytes + binaryLength : 0);
    if (total > maxGlbBytes) {
        status.Fail(WriteFailure::TooLarge, GlbTooLargeError(Gibibytes(total), maxGlbBytes));
        return false;
    }
    std::string head;
    PutLittleEndian32(head, kGlbMagic);
    PutLittleEndian32(head, kGlbVersion);
    PutLittleEndian32(head, static_cast<uint32_t>(total));
    PutLittleEndian32(head, static_cast<uint32_t>(jsonLength));
    PutLittleEndian32(head, kJsonChunk);
    head += json;
    head.append(jsonLength - json.size(), ' ');
    if (binaryLength > 0) {
        PutLittleEndian32(head, static_cast<uint32_t>(binaryLength));
        PutLittleEndian32(head, kBinChunk);
    }

    TemporaryFile out(path);
    if (!out.Create() || !out.Write(head.data(), head.size())) {
        status.Fail(WriteFailure::Io, out.error());
        return false;
    }
    if (!binary.CopyInto(out, progress, binaryLength))
        return false;
    if (progress != nullptr)
        progress->Finish();
    if (!out.RenameIntoPlace()) {
        status.Fail(WriteFailure::Io, out.error());
        return false;
    }
    return true;
}

bool AssembleGltf(const std::string& path, const std::string& json, GltfBinaryData& binary, uint64_t binaryLength,
                  ProgressSink* progress, WriteStatus& status)
{
    std::unique_ptr<TemporaryFile> bin;
    if (binaryLength > 0) {
        bin = std::make_unique<TemporaryFile>(GltfBinaryPath(path));
        if (!bin->Create()) {
            status.Fail(WriteFailure::Io, bin->error());
            return false;
        }
        if (!binary.CopyInto(*bin, progress, binaryLength))
            return false;
        if (progress != nullptr)
            progress->Finish();
    }
    TemporaryFile document(path);
    if (!document.Create() || !document.Write(json.data(), json.size()) || !document.Flush()) {
        status.Fail(WriteFailure::Io, document.error());
        return false;
    }
    // The .bin first, so the document never names data that is not there.
    if (bin && !bin->RenameIntoPlace()) {
        status.Fail(WriteFailure::Io, bin->error());
        return false;
    }
    if (!document.RenameIntoPlace()) {
        status.Fail(WriteFailure::Io, document.error());
        return false;
    }
    return true;
}
