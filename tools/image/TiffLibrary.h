// libtiff's entry points, loaded when the first TIFF image is decoded rather
// than linked: libtiff brings eight compression libraries with it, which
// every kvd command would otherwise load at start-up though few scenes name
// a TIFF image. Without the library a TIFF image is reported unreadable.
#pragma once

#include <string>

#include <tiffio.h>

#define KVD_TIFF_FUNCTIONS(X)                                                                           \
    X(TIFFSetErrorHandler) X(TIFFSetWarningHandler) X(TIFFClientOpenExt) X(TIFFClose) X(TIFFGetField) \
    X(TIFFGetFieldDefaulted) X(TIFFReadRGBAImageOriented) X(TIFFIsTiled) X(TIFFNumberOfStrips)          \
    X(TIFFNumberOfTiles) X(TIFFOpenOptionsAlloc) X(TIFFOpenOptionsFree) X(TIFFOpenOptionsSetMaxSingleMemAlloc)

struct TiffLibrary {
#define KVD_TIFF_MEMBER(name) decltype(&::name) name = nullptr;
    KVD_TIFF_FUNCTIONS(KVD_TIFF_MEMBER)
#undef KVD_TIFF_MEMBER
};

// Loaded on the first call (from any thread) and kept; nullptr with the
// reason in error when the library is missing or lacks a function.
const TiffLibrary* LoadTiffLibrary(std::string& error);
