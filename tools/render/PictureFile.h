// Pictures to and from files: PNG or JPEG out, any common image format in.
#pragma once

#include <optional>
#include <string>

#include "tools/render/RenderInput.h"

// Writes PNG under a temporary name beside path and renames it into place;
// false with the reason in error when that fails (path is then untouched).
bool WritePng(const RgbImage& picture, const std::string& path, std::string& error);

// The kinds of picture file render writes, chosen by the output's name.
enum class PictureKind { Png, Jpeg };

// ".png" is PNG, ".jpg" and ".jpeg" (any letter case) JPEG; nothing for any
// other name.
std::optional<PictureKind> PictureKindOf(const std::string& path);

// Writes the picture in the kind asked for, as WritePng does.
bool WritePicture(const RgbImage& picture, PictureKind kind, const std::string& path, std::string& error);

// JPEG, PNG, BMP, TGA and the like, as RGBA; nothing when the file is not
// there or not an image.
std::optional<RgbaImage> LoadRgbaImage(const std::string& path);
