#include "base/RuntimeLibrary.h"

#include <dlfcn.h>

RuntimeLibrary::RuntimeLibrary(const char* fileName) : fileName_(fileName)
{
    // Never closed: a library may keep state (contexts, handlers) until the
    // process ends.
    handle_ = dlopen(fileName, RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char* why = dlerror();
        error_ = fileName_ + " cannot be loaded: " + (why != nullptr ? why : "unknown reason");
    }
}

void* RuntimeLibrary::Find(const char* symbol) const
{
    return handle_ != nullptr ? dlsym(handle_, symbol) : nullptr;
}
