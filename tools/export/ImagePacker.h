// An image file made ready to go into a glTF or beside an OBJ: PNG and JPEG
// as they are (viewers show those) once checked whole, every other kind the
// tool reads (BMP, TGA, GIF, PSD, TIFF) decoded and re-encoded as PNG. Read
// through the tool's one image path (tools/image/ImageDecoder.h).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct PackedImage {
    std::vector<unsigned char> bytes;   // PNG or JPEG; empty when it could not be read
    std::string mimeType;               // "image/png" or "image/jpeg"
    int width = 0;
    int height = 0;
    bool reencoded = false;             // the source was another kind
    std::string error;                  // why it could not be read, when not

    bool ok() const { return !bytes.empty(); }
    // ".png" or ".jpg", for the image's file name in the output.
    const char* extension() const { return mimeType == "image/jpeg" ? ".jpg" : ".png"; }
};

PackedImage PackImage(const std::filesystem::path& path);
// The same, for an image already in memory.
PackedImage PackImageBytes(std::vector<unsigned char> bytes);
