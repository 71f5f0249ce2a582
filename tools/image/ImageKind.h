// The kinds of image file the tool reads, told by the file's first bytes:
// scenes name their images loosely, so wood.jpg may hold any of them, or
// none. Anything else is not an image the tool reads.
#pragma once

#include <cstdint>
#include <span>

enum class ImageKind {
    Unknown,   // none of those below
    Png,       // kept as it is
    Jpeg,      // kept as it is
    Bmp,
    Tga,
    Gif,       // the first frame
    Psd,       // the merged picture
    Tiff,      // the first directory
};

// Whether bytes start as a file of each kind. TGA has no signature: it is
// taken when the 18-byte header is one the decoder reads and no other kind
// matched.
ImageKind SniffImageKind(std::span<const uint8_t> bytes);

// "PNG", "JPEG", ...; "unknown" for Unknown.
const char* ImageKindName(ImageKind kind);

// PNG and JPEG go into outputs byte for byte; the others are decoded.
inline bool KeptAsItIs(ImageKind kind)
{
    return kind == ImageKind::Png || kind == ImageKind::Jpeg;
}
