// The decoder of TIFF files: libtiff, loaded when the first TIFF image is
// decoded (TiffLibrary.h), held to the image limits as the file is opened.
#pragma once

#include <cstdint>
#include <span>

#include "tools/image/DecodedImage.h"
#include "tools/image/ImageLayout.h"

// Checks the first directory (picture size, compression, strips or tiles and
// the data they hold) and fills layout; then, when decode is set, decodes
// it to RGB (when every pixel is opaque) or RGBA.
DecodeOutcome ReadTiff(std::span<const uint8_t> bytes, ImageLayout& layout, bool decode);
