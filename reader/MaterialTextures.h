// The image files a file material's own maps name: the texture (maps of
// kind 537) and the bump map (kind 550), whatever the image type. As for
// the host, a later map of a kind replaces an earlier one and nested maps do
// not count; a map without an image file replaces nothing.
#pragma once

#include <string_view>

#include "reader/MaterialRecords.h"

struct MaterialTextures {
    std::string_view texture;   // GBK as stored; empty for none
    std::string_view bump;      // GBK as stored; empty for none
};

// Views into material, valid while it lives.
MaterialTextures TexturesOf(const MaterialRecord& material);
