#include "tools/render/OffscreenGl.h"

#include <dlfcn.h>

namespace {
struct LoadedGl {
    OffscreenGl functions;
    std::string error;   // empty when every function was found
};

LoadedGl Load()
{
    LoadedGl loaded;
    // Never closed: the driver keeps state for contexts until the process ends.
    void* library = dlopen(KVD_OSMESA_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char* why = dlerror();
        loaded.error = std::string("the off-screen OpenGL driver (" KVD_OSMESA_LIBRARY ") cannot be loaded: ") +
                       (why != nullptr ? why : "unknown reason");
        return loaded;
    }
    // The driver exports the core entry points; newer ones may only be
    // reachable through its own lookup.
    auto* lookup = reinterpret_cast<decltype(&::OSMesaGetProcAddress)>(dlsym(library, "OSMesaGetProcAddress"));
    auto find = [&](const char* name) -> void* {
        if (void* found = dlsym(library, name))
            return found;
        return lookup != nullptr ? reinterpret_cast<void*>(lookup(name)) : nullptr;
    };
#define KVD_GL_LOAD(name)                                                                     \
    loaded.functions.name = reinterpret_cast<decltype(&::name)>(find(#name));                 \
    if (loaded.functions.name == nullptr && loaded.error.empty())                             \
        loaded.error = "the off-screen OpenGL driver (" KVD_OSMESA_LIBRARY ") lacks " #name;
    KVD_OFFSCREEN_GL_FUNCTIONS(KVD_GL_LOAD)
#undef KVD_GL_LOAD
    return loaded;
}
}  // namespace

const OffscreenGl* LoadOffscreenGl(std::string& error)
{
    static const LoadedGl loaded = Load();
    if (!loaded.error.empty()) {
        error = loaded.error;
        return nullptr;
    }
    return &loaded.functions;
}
