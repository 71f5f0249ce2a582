#include "tools/zerna/PluginModule.h"

#include <dlfcn.h>

#include <filesystem>
#include <system_error>

const std::string PluginModule::kFileName = "QUENDARIL.so";

std::string PluginModule::BesideHost()
{
    std::error_code error;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return kFileName;
    return (self.parent_path() / kFileName).string();
}

PluginModule::~PluginModule()
{
    if (handle_ != nullptr)
        dlclose(handle_);
}

bool PluginModule::Load(const std::string& path, std::string& error)
{
    // A bare file name would send the loader to the library search path.
    std::string where = path.find('/') == std::string::npos ? "./" + path : path;
    handle_ = dlopen(where.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char* reason = dlerror();
        error = "cannot load the plug-in: " + std::string(reason != nullptr ? reason : path);
        return false;
    }
    dlerror();
    void* symbol = dlsym(handle_, "go");
    if (symbol == nullptr) {
        error = "the plug-in " + path + " has no entry point go";
        return false;
    }
    go_ = reinterpret_cast<EntryPoint>(symbol);
    return true;
}
