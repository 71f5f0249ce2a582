// The stand-in host's one program, built for Linux and Windows. On Linux the
// console plug-in prints its messages, which are read back from standard
// error into the trace; on Windows it shows them in boxes, so the trace
// holds the host calls and the result of each go.
#include "tools/zerna/ZernaProgram.h"

#include <CLI/CLI.hpp>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "tools/standin/TraceHost.h"
#include "tools/zerna/PluginModule.h"

#if !defined(_WIN32)
#  include "tools/standin/TraceText.h"
#  include "tools/zerna/DrainingHost.h"
#  include "tools/zerna/StderrCapture.h"
#  include "base/GbkText.h"
#endif

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

#if defined(_WIN32)
// Sessions under Windows are driven from outside and may be stopped there:
// each line reaches the file at once, so the calls made so far are kept.
constexpr bool kFlushEachLine = true;
#else
constexpr bool kFlushEachLine = false;
#endif

void Complain(const std::string& text)
{
    std::fprintf(stderr, "zerna: %s\n", text.c_str());
}

}  // namespace

int RunZerna(int argc, char** argv)
{
    CLI::App app{"Stand-in 3D host: loads the import plug-in and calls its go entry point."};
    std::string pluginPath;
    std::string tracePath;
    int sessions = 1;
    HostRefusals refusals;
    app.add_option("--plugin", pluginPath,
                   "Plug-in module to load (default: " + PluginModule::kFileName + " beside zerna)")
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
        pluginPath = PluginModule::BesideHost();

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
    if (traceFile != nullptr && !kFlushEachLine)
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
        if (kFlushEachLine)
            std::fflush(traceFile);
    };
    TraceHost trace(writeLine, refusals);

#if defined(_WIN32)
    SetSceneHost(&trace);
    for (int session = 0; session < sessions; ++session)
        trace.RecordGo(plugin.go()());
#else
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
#endif
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
