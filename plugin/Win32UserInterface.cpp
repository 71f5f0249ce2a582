// The user-interface layer on Windows: system message boxes and the common
// open-file dialog, all through the "A" functions, so the GBK texts reach the
// system as they are and are shown in the system's code page.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// After windows.h, which they rely on.
#include <commctrl.h>
#include <commdlg.h>
#include <objbase.h>

#include <string>
#include <string_view>

#include "plugin/FileDialogFilter.h"
#include "plugin/UserInterface.h"

namespace {

// This module's own handle, kept from DllMain: the caption of error messages
// is the module's file name, so a renamed module shows its new name.
HINSTANCE moduleInstance = nullptr;

std::string ModuleName()
{
    char path[MAX_PATH + 1] = {};
    DWORD length = GetModuleFileNameA(moduleInstance, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return "plug-in";
    std::string_view name(path, length);
    size_t slash = name.find_last_of("\\/");
    if (slash != std::string_view::npos)
        name.remove_prefix(slash + 1);
    size_t dot = name.find_last_of('.');
    if (dot != std::string_view::npos && dot > 0)
        name = name.substr(0, dot);
    return std::string(name);
}

// Longest path the dialog may hand back, NUL included.
constexpr DWORD kPathCapacity = 32768;

class Win32UserInterface final : public UserInterface {
public:
    // Common controls for the dialog's list and edit views, and COM for the
    // Explorer-style dialog's shell views. Neither failure stops a session:
    // the boxes and the dialog still work without them.
    void StartUp() override
    {
        INITCOMMONCONTROLSEX controls{};
        controls.dwSize = sizeof controls;
        controls.dwICC = ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES;
        InitCommonControlsEx(&controls);
        HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        // S_FALSE: already initialised on this thread, still to be balanced;
        // a different threading model of the host's is left alone.
        comInitialised_ = SUCCEEDED(com);
    }

    void ShutDown() override
    {
        if (comInitialised_)
            CoUninitialize();
        comInitialised_ = false;
    }

    Answer AskYesNoCancel(const char* caption, const char* question) override
    {
        switch (MessageBoxA(nullptr, question, caption, MB_YESNOCANCEL | MB_ICONQUESTION)) {
        case IDYES:
            return Answer::Yes;
        case IDNO:
            return Answer::No;
        case IDCANCEL:
            return Answer::Cancel;
        default:
            return Answer::Closed;
        }
    }

    bool ChooseOpenFile(const char* filter, std::string& path) override
    {
        std::string filterList = SystemFilterList(filter);
        std::string chosen(kPathCapacity, '\0');

        OPENFILENAMEA dialog{};
        dialog.lStructSize = sizeof dialog;
        dialog.hwndOwner = nullptr;
        dialog.hInstance = moduleInstance;
        dialog.lpstrFilter = filterList.c_str();
        dialog.nFilterIndex = 1;
        dialog.lpstrFile = chosen.data();
        dialog.nMaxFile = kPathCapacity;
        dialog.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_EXPLORER | OFN_ENABLESIZING;
        // Cancelled, closed, or failed (a path too long for the buffer
        // included): the session's path stays as it was.
        if (!GetOpenFileNameA(&dialog))
            return false;
        chosen.resize(std::string_view(chosen.c_str()).size());
        path = std::move(chosen);
        return true;
    }

    void ShowMessage(const char* text) override
    {
        std::string caption = ModuleName();
        MessageBoxA(nullptr, text, caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
    }

private:
    bool comInitialised_ = false;
};

}  // namespace

UserInterface& PlatformUserInterface()
{
    static Win32UserInterface ui;
    return ui;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    // Thread notifications stay on: the statically linked runtimes free their
    // per-thread data on them, for threads of the host's as well.
    if (reason == DLL_PROCESS_ATTACH)
        moduleInstance = instance;
    return TRUE;
}
