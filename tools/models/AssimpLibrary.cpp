#include "tools/models/AssimpLibrary.h"

#include "base/RuntimeLibrary.h"

namespace {
struct LoadedAssimp {
    AssimpLibrary functions;
    std::string error;   // empty when every function was found
};

LoadedAssimp Load()
{
    static RuntimeLibrary library(KVD_ASSIMP_LIBRARY);
    LoadedAssimp loaded;
#define KVD_ASSIMP_LOAD(name) library.Bind(loaded.functions.name, #name);
    KVD_ASSIMP_FUNCTIONS(KVD_ASSIMP_LOAD)
#undef KVD_ASSIMP_LOAD
    loaded.error = library.error();
    return loaded;
}
}  // namespace

const AssimpLibrary* LoadAssimpLibrary(std::string& error)
{
    static const LoadedAssimp loaded = Load();
    if (!loaded.error.empty()) {
        error = loaded.error;
        return nullptr;
    }
    return &loaded.functions;
}
