// A shared library the kvd tool opens only when a command first needs it,
// by the name its package installs, and keeps open for the life of the
// process. Libraries that only one command uses are loaded this way so that
// every other command starts without them (loading a library and its own
// dependencies costs milliseconds per process, and megabytes), and runs on
// a machine that lacks them.
#pragma once

#include <string>

class RuntimeLibrary {
public:
    explicit RuntimeLibrary(const char* fileName);
    RuntimeLibrary(const RuntimeLibrary&) = delete;
    RuntimeLibrary& operator=(const RuntimeLibrary&) = delete;

    // Empty while the library is open and had every symbol asked for;
    // otherwise why not (the first problem met).
    const std::string& error() const { return error_; }

    // The address of a symbol of the library, or nullptr.
    void* Find(const char* symbol) const;

    // Points slot at the symbol; when the library lacks it, the slot stays
    // null and error() names it.
    template <class Function>
    void Bind(Function*& slot, const char* symbol)
    {
        slot = reinterpret_cast<Function*>(Find(symbol));
        if (slot == nullptr && error_.empty())
            error_ = fileName_ + " lacks " + symbol;
    }

private:
    std::string fileName_;
    void* handle_ = nullptr;
    std::string error_;
};
