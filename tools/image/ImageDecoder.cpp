#include "tools/image/ImageDecoder.h"

#include <fstream>
#include <system_error>

#include "tools/image/ImageLimits.h"
#include "tools/image/ImageStructure.h"
#include "tools/image/PsdDecoder.h"
#include "tools/image/StbDecoder.h"
#include "tools/image/TiffDecoder.h"

namespace {

std::string WithKind(ImageKind kind, const std::string& why)
{
    return std::string(ImageKindName(kind)) + ": " + why;
}

}  // namespace

bool ReadImageFile(const std::filesystem::path& path, std::vector<uint8_t>& bytes, std::string& error)
{
    std::error_code failure;
    const std::uintmax_t size = std::filesystem::file_size(path, failure);
    if (failure) {
        error = failure.message();
        return false;
    }
    if (size > kMaxImageFileBytes) {
        error = "file too large for an image (" + std::to_string(size) + " bytes; at most " +
                std::to_string(kMaxImageFileBytes) + ")";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    bytes.assign(static_cast<size_t>(size), 0);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size())) ||
        in.peek() != std::ifstream::traits_type::eof()) {
        error = "cannot read it whole";
        return false;
    }
    return true;
}

ImageCheck CheckImage(std::span<const uint8_t> bytes)
{
    ImageCheck check;
    if (bytes.empty()) {
        check.error = "empty file";
        return check;
    }
    if (bytes.size() > kMaxImageFileBytes) {
        check.error = "file too large for an image";
        return check;
    }
    const ImageKind kind = SniffImageKind(bytes);
    if (kind == ImageKind::Unknown) {
        check.error = "not an image kind the tool reads (PNG, JPEG, BMP, TGA, GIF, PSD, TIFF)";
        return check;
    }
    if (kind == ImageKind::Tiff) {
        const DecodeOutcome opened = ReadTiff(bytes, check.layout, false);
        if (!opened.ok())
            check.error = WithKind(kind, opened.error);
        return check;
    }
    if (std::string why = StructureCheckFor(kind)(bytes, check.layout); !why.empty())
        check.error = WithKind(kind, why);
    return check;
}

DecodeOutcome DecodeImage(std::span<const uint8_t> bytes)
{
    const ImageCheck check = CheckImage(bytes);
    if (!check.ok())
        return {{}, check.error};
    return DecodeCheckedImage(bytes, check.layout);
}

DecodeOutcome DecodeCheckedImage(std::span<const uint8_t> bytes, const ImageLayout& checked)
{
    ImageLayout layout = checked;
    DecodeOutcome outcome = layout.kind == ImageKind::Tiff  ? ReadTiff(bytes, layout, true)
                            : layout.kind == ImageKind::Psd ? DecodePsd(bytes)
                                                            : DecodeWithStb(bytes, layout);
    if (!outcome.ok())
        outcome.error = WithKind(layout.kind, outcome.error);
    return outcome;
}

ImageCheck VerifyImage(std::span<const uint8_t> bytes)
{
    ImageCheck check = CheckImage(bytes);
    if (!check.ok() || KeptAsItIs(check.layout.kind))
        return check;
    check.error = DecodeCheckedImage(bytes, check.layout).error;
    return check;
}
