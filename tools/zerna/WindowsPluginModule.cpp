// The plug-in module on Windows: loaded by LoadLibraryA, so that the path
// is taken in the system's code page like every other "A" call.
#include "tools/zerna/PluginModule.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

const std::string PluginModule::kFileName = "QUENDARIL.dll";

std::string PluginModule::BesideHost()
{
    char path[MAX_PATH + 1] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length < MAX_PATH ? length : 0);
    size_t slash = folder.find_last_of("\\/");
    folder.resize(slash == std::string::npos ? 0 : slash + 1);
    return folder + kFileName;
}

namespace {

std::string LastErrorText()
{
    char text[512] = {};
    DWORD error = GetLastError();
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, text, sizeof text, nullptr);
    while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r'))
        --length;
    return "error " + std::to_string(error) + (length > 0 ? ": " + std::string(text, length) : "");
}

}  // namespace

PluginModule::~PluginModule()
{
    if (handle_ != nullptr)
        FreeLibrary(static_cast<HMODULE>(handle_));
}

bool PluginModule::Load(const std::string& path, std::string& error)
{
    HMODULE module = LoadLibraryA(path.c_str());
    if (module == nullptr) {
        error = "cannot load the plug-in " + path + " (" + LastErrorText() + ")";
        return false;
    }
    handle_ = module;
    go_ = reinterpret_cast<EntryPoint>(reinterpret_cast<void*>(GetProcAddress(module, "go")));
    if (go_ == nullptr) {
        error = "the plug-in " + path + " has no entry point go";
        return false;
    }
    return true;
}
