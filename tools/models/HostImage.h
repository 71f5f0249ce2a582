// Images made into the kinds the host shows: JPEG, BMP and TIFF.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

enum class HostImageKind {
    AsItIs,   // JPEG, BMP and TIFF as they are, others as the host's best kind
    Jpeg,
    Bmp,
    Tiff,
};

// The kind a file name asks for by its extension (.jpg, .bmp, .tif and
// their variants, any letter case), or nothing for a name the host cannot show.
std::optional<HostImageKind> HostKindOfName(const std::string& name);

struct HostImage {
    std::vector<uint8_t> bytes;
    std::string extension;   // ".jpg", ".bmp" or ".tif"
    std::string error;       // why there are no bytes

    bool ok() const { return error.empty(); }
};

HostImage PrepareHostImage(std::span<const uint8_t> bytes, HostImageKind kind);
