// Pictures to and from files: PNG out; texture images in through the tool's
// one image path (tools/image/ImageDecoder.h).
#pragma once

#include <optional>
#include <string>

#include "tools/render/RenderInput.h"

// Writes PNG under a temporary name beside path and renames it into place;
// false with the reason in error when that fails (path is then untouched).
bool WritePng(const RgbImage& picture, const std::string& path, std::string& error);

// Any image kind the tool reads, as RGBA; nothing, with the reason in
// error, when the file cannot be read or is not such an image.
std::optional<RgbaImage> LoadRgbaImage(const std::string& path, std::string& error);
