// zerna.exe, the stand-in host on Windows: loads QUENDARIL.dll, calls its go
// once and records every host call as the JSON Lines trace that the Linux
// host writes. The plug-in shows its boxes and dialogs itself, so the trace
// holds the host calls and the result of go, no message lines.
//
//   zerna.exe [--plugin PATH] [--trace PATH|-] [--scene-not-empty]
//             [--refuse-start] [--refuse-object N] [--refuse-surface N]
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "tools/standin/TraceHost.h"

namespace {

enum ExitCode { kExitOk = 0, kExitUsage = 2, kExitNoPlugin = 3, kExitNoTrace = 4 };

constexpr char kUsage[] =
    "usage: zerna.exe [--plugin PATH] [--trace PATH|-] [--scene-not-empty]\n"
    "                 [--refuse-start] [--refuse-object N] [--refuse-surface N]\n"
    "Loads the plug-in (QUENDARIL.dll beside zerna.exe by default), calls go\n"
    "once and writes the trace of every host call (to standard output by\n"
    "default).\n";

struct Options {
    std::string pluginPath;
    std::string tracePath = "-";
    HostRefusals refusals;
};

bool ParseCount(const char* text, int& count)
{
    std::string_view digits(text);
    auto result = std::from_chars(digits.data(), digits.data() + digits.size(), count);
    return result.ec == std::errc() && result.ptr == digits.data() + digits.size() && count > 0;
}

// False on an unknown option or a missing or bad value.
bool ParseOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        std::string_view option(argv[i]);
        bool hasValue = i + 1 < argc;
        if (option == "--scene-not-empty") {
            options.refusals.sceneNotEmpty = true;
        } else if (option == "--refuse-start") {
            options.refusals.refuseStart = true;
        } else if (option == "--plugin" && hasValue) {
            options.pluginPath = argv[++i];
        } else if (option == "--trace" && hasValue) {
            options.tracePath = argv[++i];
        } else if (option == "--refuse-object" && hasValue) {
            if (!ParseCount(argv[++i], options.refusals.refuseObject))
                return false;
        } else if (option == "--refuse-surface" && hasValue) {
            if (!ParseCount(argv[++i], options.refusals.refuseSurface))
                return false;
        } else {
            return false;
        }
    }
    return true;
}

// QUENDARIL.dll in zerna.exe's own folder, wherever it was started from.
std::string PluginBesideHost()
{
    char path[MAX_PATH + 1] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length < MAX_PATH ? length : 0);
    size_t slash = folder.find_last_of("\\/");
    folder.resize(slash == std::string::npos ? 0 : slash + 1);
    return folder + "QUENDARIL.dll";
}

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

int main(int argc, char** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    if (options.pluginPath.empty())
        options.pluginPath = PluginBesideHost();

    std::FILE* trace = stdout;
    if (options.tracePath != "-") {
        trace = std::fopen(options.tracePath.c_str(), "wb");
        if (trace == nullptr) {
            std::fprintf(stderr, "zerna: cannot write the trace %s\n", options.tracePath.c_str());
            return kExitNoTrace;
        }
    }
    // Every line reaches the file at once: a session that is stopped from
    // outside still leaves the calls it made.
    TraceHost host(
        [trace](std::string_view line) {
            std::fwrite(line.data(), 1, line.size(), trace);
            std::fputc('\n', trace);
            std::fflush(trace);
        },
        options.refusals);

    // Binding the DLL's imports resolves its GB_ functions to this program.
    HMODULE plugin = LoadLibraryA(options.pluginPath.c_str());
    if (plugin == nullptr) {
        std::fprintf(stderr, "zerna: cannot load the plug-in %s (%s)\n", options.pluginPath.c_str(),
                     LastErrorText().c_str());
        return kExitNoPlugin;
    }
    auto go = reinterpret_cast<int (*)()>(reinterpret_cast<void*>(GetProcAddress(plugin, "go")));
    if (go == nullptr) {
        std::fprintf(stderr, "zerna: the plug-in %s has no entry point go\n",
                     options.pluginPath.c_str());
        FreeLibrary(plugin);
        return kExitNoPlugin;
    }

    SceneHost* previous = SetSceneHost(&host);
    int result = go();
    SetSceneHost(previous);
    host.RecordGo(result);
    std::fprintf(stderr, "zerna: go returned %d\n", result);

    FreeLibrary(plugin);
    if (trace != stdout)
        std::fclose(trace);
    return kExitOk;
}
