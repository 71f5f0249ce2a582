// An image file made ready to go into a glTF or beside an OBJ: PNG and JPEG
// as they are (viewers show those), every other format that can be read
// (BMP, TGA, GIF, PSD, TIFF) re-encoded as PNG. The kind is told by the
// bytes, not by the name, since exported scenes name files loosely.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

struct PackedImage {
    std::vector<unsigned char> bytes;   // PNG or JPEG; empty when it could not be read
    std::string mimeType;               // "image/png" or "image/jpeg"
    int width = 0;
    int height = 0;
    bool reencoded = false;             // the source was another format
    std::string error;                  // why it could not be read, when not

    bool ok() const { return !bytes.empty(); }
    // ".png" or ".jpg", for the image's file name in the output.
    const char* extension() const { return mimeType == "image/jpeg" ? ".jpg" : ".png"; }
};

// Images larger than this are refused rather than decoded: a texture of
// 8192 x 8192 fits, a header claiming more does not get that memory.
inline constexpr long long kMaxImagePixels = 8192ll * 8192ll;

PackedImage PackImage(const std::filesystem::path& path);
// The same, for an image already in memory.
PackedImage PackImageBytes(std::vector<unsigned char> bytes);
