#include "tools/render/OffscreenGl.h"

#include "base/RuntimeLibrary.h"

namespace {
struct LoadedGl {
    OffscreenGl functions;
    std::string error;   // empty when every function was found
};

LoadedGl Load()
{
    static RuntimeLibrary library(KVD_OSMESA_LIBRARY);
    LoadedGl loaded;
    OffscreenGl& gl = loaded.functions;
    // The driver exports the core entry points; any other is reachable
    // through its own lookup.
    gl.OSMesaGetProcAddress =
        reinterpret_cast<decltype(gl.OSMesaGetProcAddress)>(library.Find("OSMesaGetProcAddress"));
#define KVD_GL_LOAD(name)                                                                           \
    gl.name = reinterpret_cast<decltype(gl.name)>(library.Find(#name));                             \
    if (gl.name == nullptr && gl.OSMesaGetProcAddress != nullptr)                                   \
        gl.name = reinterpret_cast<decltype(gl.name)>(gl.OSMesaGetProcAddress(#name));              \
    if (gl.name == nullptr)                                                                         \
        library.Bind(gl.name, #name);
    KVD_OFFSCREEN_GL_FUNCTIONS(KVD_GL_LOAD)
#undef KVD_GL_LOAD
    loaded.error = library.error().empty() ? "" : "the off-screen OpenGL driver: " + library.error();
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
