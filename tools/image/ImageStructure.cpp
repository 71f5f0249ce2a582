#include "tools/image/ImageStructure.h"

StructureCheck StructureCheckFor(ImageKind kind)
{
    switch (kind) {
    case ImageKind::Png:
        return CheckPngStructure;
    case ImageKind::Jpeg:
        return CheckJpegStructure;
    case ImageKind::Bmp:
        return CheckBmpStructure;
    case ImageKind::Tga:
        return CheckTgaStructure;
    case ImageKind::Gif:
        return CheckGifStructure;
    case ImageKind::Psd:
        return CheckPsdStructure;
    case ImageKind::Tiff:
    case ImageKind::Unknown:
        break;
    }
    return nullptr;
}
