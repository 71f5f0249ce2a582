// The loaded plug-in module and its entry point go.
#pragma once

#include <string>

class PluginModule {
public:
    using EntryPoint = int (*)();

    // QUENDARIL.so, or QUENDARIL.dll on Windows.
    static const std::string kFileName;
    // The plug-in's file in the running program's own folder.
    static std::string BesideHost();

    PluginModule() = default;
    ~PluginModule();
    PluginModule(const PluginModule&) = delete;
    PluginModule& operator=(const PluginModule&) = delete;

    // Loads the module (on Linux binding its host references to this
    // program's GB_ functions at once). False with error set when it cannot
    // be loaded or has no go.
    bool Load(const std::string& path, std::string& error);
    EntryPoint go() const { return go_; }

private:
    void* handle_ = nullptr;
    EntryPoint go_ = nullptr;
};
