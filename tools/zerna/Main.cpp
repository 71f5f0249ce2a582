// zerna: the stand-in host. Loads the plug-in module, runs its import command
// a number of times and can record every host call in a trace.
#include <CLI/CLI.hpp>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "tools/host/TraceHost.h"
#include "tools/host/TraceText.h"
#include "tools/zerna/DrainingHost.h"
#include "tools/zerna/PluginModule.h"
#include "tools/zerna/StderrCapture.h"
#include "plugin/GbkText.h"

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// The plug-in that sits beside this program.
std::string DefaultPluginPath()
{
    std::error_code error;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return "QUENDARIL.so";
    return (self.parent_path() / "QUENDARIL.so").string();
}

void Complain(const std::string& text)
{
    std::fprintf(stderr, "zerna: %s\n", text.c_str());
}

}  // namespace

int main(int argc, char** argv)
{
    CLI::App app{"Stand-in 3D host: loads the import plug-in and calls its go entry point."};
    std::string pluginPath;
    std::string tracePath;
    int sessions = 1;
    HostRefusals refusals;
    app.add_option("--plugin", pluginPath, "Plug-in module to load (default: QUENDARIL.so beside zerna)")
        ->option_text("PATH");
    app.add_option("--trace", tracePath, "Write the trace of host calls to FILE ('-': standard output)")
        ->option_text("FILE|-");
    app.add_flag("--scene-not-empty", refusals.sceneNotEmpty, "GB_SceneEmpty answers 0");
    app.add_option("--sessions", sessions, "Number of times go is called (default 1)")
        ->option_text("N")
        ->check(CLI::NonNegativeNumber);
    app.add_flag("--refuse-start", refusals.refuseStart, "GB_StartImport answers 0");
    app.add_option("--refuse-object", refusals.refuseObject,
                   "The N-th GB_BeginObject of the run (from 1) answers 0")
        ->option_text("N")
        ->check(CLI::Range(1, INT_MAX));
    app.add_option("--refuse-surface", refusals.refuseSurface,
                   "The N-th GB_BeginSurface of the run (from 1) answers 0")
        ->option_text("N")
        ->check(CLI::Range(1, INT_MAX));
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return app.exit(error) == 0 ? 0 : kExitUsage;
    }

    if (pluginPath.empty())
        pluginPath = DefaultPluginPath();

    std::FILE* traceFile = nullptr;
    if (tracePath == "-") {
        traceFile = stdout;
    } else if (!tracePath.empty()) {
        traceFile = std::fopen(tracePath.c_str(), "wb");
        if (traceFile == nullptr) {
            Complain("cannot write the trace " + tracePath + ": " + std::strerror(errno));
            return kExitFailure;
        }
    }
    if (traceFile != nullptr)
        std::setvbuf(traceFile, nullptr, _IOFBF, 1 << 16);

    PluginModule plugin;
    std::string loadError;
    if (!plugin.Load(pluginPath, loadError)) {
        Complain(loadError);
        return kExitFailure;
    }

    auto writeLine = [traceFile](std::string_view line) {
        if (traceFile == nullptr)
            return;
        std::fwrite(line.data(), 1, line.size(), traceFile);
        std::fputc('\n', traceFile);
    };
    TraceHost trace(writeLine, refusals);

    // Messages are read back from standard error only when there is a trace
    // to put them in.
    std::string messageLine;
    StderrCapture capture(std::filesystem::path(pluginPath).stem().string(),
                          [&](std::string_view text) {
                              messageLine.clear();
                              trace::AppendMessageLine(messageLine, text, Utf8ToGbk(text));
                              writeLine(messageLine);
                          });
    DrainingHost drainingHost(trace, capture);
    SetSceneHost(traceFile != nullptr ? static_cast<SceneHost*>(&drainingHost) : &trace);

    for (int session = 0; session < sessions; ++session) {
        bool capturing = traceFile != nullptr && capture.Start();
        if (traceFile != nullptr && !capturing)
            Complain("cannot capture the plug-in's messages; the trace will lack them");
        int result = plugin.go()();
        capture.Stop();
        trace.RecordGo(result);
        if (traceFile != nullptr)
            std::fflush(traceFile);
    }
    SetSceneHost(nullptr);

    bool traceFailed = traceFile != nullptr && std::ferror(traceFile);
    if (traceFile != nullptr && traceFile != stdout && std::fclose(traceFile) != 0)
        traceFailed = true;
    if (traceFailed) {
        Complain("writing the trace failed");
        return kExitFailure;
    }
    return 0;
}
