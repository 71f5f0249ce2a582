// What the structure check of an image file found: its kind and picture
// size, once the file is known to be whole and to hold the bytes that size
// needs. Made by one check per kind (ImageStructure.h).
#pragma once

#include <string>

#include "tools/image/ImageKind.h"

struct ImageLayout {
    ImageKind kind = ImageKind::Unknown;
    int width = 0;
    int height = 0;
};

// Empty when a picture of width x height is within the limits; otherwise
// why not ("empty picture (0 x 16)", "too large: ...").
std::string CheckPictureSize(long long width, long long height);

// Empty when compressedBytes can plausibly decode to a picture of
// rawBytes, for a coding that packs at most maxRatio bytes into one;
// otherwise why not. Refuses a small file declaring a huge picture before
// memory is given to it.
std::string CheckPlausibleData(unsigned long long compressedBytes, unsigned long long rawBytes,
                               unsigned long long maxRatio);
