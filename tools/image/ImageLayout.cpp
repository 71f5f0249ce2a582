#include "tools/image/ImageLayout.h"

#include "tools/image/ImageLimits.h"

std::string CheckPictureSize(long long width, long long height)
{
    const std::string size = std::to_string(width) + " x " + std::to_string(height);
    if (width < 1 || height < 1)
        return "empty picture (" + size + ")";
    if (width > kMaxImageSide || height > kMaxImageSide || width * height > kMaxImagePixels)
        return "picture too large (" + size + "; each side at most " + std::to_string(kMaxImageSide) + ")";
    return {};
}

std::string CheckPlausibleData(unsigned long long compressedBytes, unsigned long long rawBytes,
                               unsigned long long maxRatio)
{
    // rawBytes is at most a few GiB and maxRatio small: no overflow.
    if (compressedBytes * maxRatio >= rawBytes)
        return {};
    return "too little data for its picture size (" + std::to_string(compressedBytes) + " bytes of image data for " +
           std::to_string(rawBytes) + " bytes of pixels)";
}
