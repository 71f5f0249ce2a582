// The browser module has no TIFF decoder: libtiff is a system library of the
// kvd tool, loaded when the first TIFF image is read, and there is no system
// to load it from here. A scene's TIFF image is reported as one that cannot
// be read and left out, as the tool does where libtiff is missing.
#include "tools/image/TiffLibrary.h"

const TiffLibrary* LoadTiffLibrary(std::string& error)
{
    error = "the browser viewer has no TIFF decoder (kvd convert keeps TIFF images)";
    return nullptr;
}
