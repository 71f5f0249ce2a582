// The one way the kvd tool reads image files, for every command: the kind
// told by the first bytes against the kinds the tool reads (ImageKind.h),
// the file's structure checked whole and held to one set of limits
// (ImageLimits.h) before any pixel gets memory, and the pixels decoded by
// the decoder for that kind alone. Whatever the bytes, the result is the
// pixels, or the reason there are none; every pixel comes from the file or
// from a stated fill value (a palette entry the file does not set is opaque
// black; what a GIF's first frame leaves uncovered is transparent black).
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "tools/image/DecodedImage.h"
#include "tools/image/ImageLayout.h"

// The whole file, when it is at most kMaxImageFileBytes; otherwise false
// with the reason.
bool ReadImageFile(const std::filesystem::path& path, std::vector<uint8_t>& bytes, std::string& error);

struct ImageCheck {
    ImageLayout layout;
    std::string error;   // empty when the file passed; else "KIND: why" or why
    bool ok() const { return error.empty(); }
};

// Tells the kind and checks the structure and the limits, without decoding
// pixels. For PNG and JPEG, which go into outputs as they are, this is what
// makes them fit to: every chunk and checksum up to IEND, every segment up
// to EOI.
ImageCheck CheckImage(std::span<const uint8_t> bytes);

// CheckImage, then the pixels, as RGB or RGBA.
DecodeOutcome DecodeImage(std::span<const uint8_t> bytes);
// The pixels of bytes that CheckImage passed with layout.
DecodeOutcome DecodeCheckedImage(std::span<const uint8_t> bytes, const ImageLayout& layout);

// Whether the image can go into an output as the converter puts it there:
// PNG and JPEG checked, the other kinds decoded (and the pixels dropped).
ImageCheck VerifyImage(std::span<const uint8_t> bytes);
