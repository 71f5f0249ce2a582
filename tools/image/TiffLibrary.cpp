#include "tools/image/TiffLibrary.h"

#include "base/RuntimeLibrary.h"

namespace {
struct LoadedTiff {
    TiffLibrary functions;
    std::string error;   // empty when every function was found
};

LoadedTiff Load()
{
    static RuntimeLibrary library(KVD_TIFF_LIBRARY);
    LoadedTiff loaded;
#define KVD_TIFF_LOAD(name) library.Bind(loaded.functions.name, #name);
    KVD_TIFF_FUNCTIONS(KVD_TIFF_LOAD)
#undef KVD_TIFF_LOAD
    loaded.error = library.error();
    if (loaded.error.empty()) {
        // The reasons go into the result, not onto the terminal. Set once,
        // before any thread decodes.
        loaded.functions.TIFFSetErrorHandler(nullptr);
        loaded.functions.TIFFSetWarningHandler(nullptr);
    }
    return loaded;
}
}  // namespace

const TiffLibrary* LoadTiffLibrary(std::string& error)
{
    static const LoadedTiff loaded = Load();
    if (!loaded.error.empty()) {
        error = loaded.error;
        return nullptr;
    }
    return &loaded.functions;
}
