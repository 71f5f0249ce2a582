// kvd trace: imports a file through the import core into the trace host and
// writes the trace to standard output, as zerna would record it (without
// GB_SceneEmpty and the session's result, which belong to go).
#include <climits>
#include <cstdio>
#include <memory>
#include <new>
#include <string>

#include "convert/HostDestination.h"
#include "base/GbkText.h"
#include "reader/SceneReader.h"
#include "tools/standin/TraceHost.h"
#include "tools/kvd/Commands.h"
#include "tools/kvd/ImportDiagnostics.h"
#include "tools/kvd/SceneCommands.h"
#include "tools/scene/SceneImport.h"

namespace {

// An import into a host makes a 24-byte host point per vertex of the
// current mesh.
constexpr MemoryNeed kTraceMemory{24, 16};

struct TraceOptions {
    std::string file;
    HostRefusals refusals;
};

// Each message goes into the trace and, for the person at the terminal, to
// standard error.
class TracedMessages final : public MessageSink {
public:
    explicit TracedMessages(TraceHost& trace) : trace_(trace) {}
    void ShowMessage(ImportMessage message) override
    {
        trace_.ShowMessage(MessageText(message));
        std::fprintf(stderr, "kvd: %s\n", GbkToUtf8(MessageText(message)).c_str());
    }

private:
    TraceHost& trace_;
};

int RunTrace(const TraceOptions& options)
{
    std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);
    TraceHost trace(
        [](std::string_view line) {
            std::fwrite(line.data(), 1, line.size(), stdout);
            std::fputc('\n', stdout);
        },
        options.refusals);
    TracedMessages messages(trace);
    SceneHost* previous = SetSceneHost(&trace);
    int openError = 0;
    {
        HostDestination host;
        SceneReader reader(messages, host);
        if (reader.ImportFile(options.file) == ImportResult::CannotOpen)
            openError = reader.openError();
    }
    // A file that cannot be opened is said on standard error, with no trace.
    if (openError != 0) {
        SetSceneHost(previous);
        std::fprintf(stderr, "kvd: cannot open %s: %s\n", options.file.c_str(), OpenErrorText(openError).c_str());
        return kExitFailure;
    }
    HostDestination::EndImport();
    SetSceneHost(previous);

    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "kvd: writing the trace failed\n");
        return kExitFailure;
    }
    return 0;
}

}  // namespace

void AddTraceCommand(CLI::App& app, int& exitCode)
{
    auto options = std::make_shared<TraceOptions>();
    CLI::App* command = app.add_subcommand(
        "trace", "Import FILE into a recording host and print every host call as JSON Lines");
    command->add_option("FILE", options->file, "kvd scene file")->required();
    command->add_flag("--refuse-start", options->refusals.refuseStart, "GB_StartImport answers 0");
    command->add_option("--refuse-object", options->refusals.refuseObject,
                        "The N-th GB_BeginObject (from 1) answers 0")
        ->option_text("N")
        ->check(CLI::Range(1, INT_MAX));
    command->add_option("--refuse-surface", options->refusals.refuseSurface,
                        "The N-th GB_BeginSurface (from 1) answers 0")
        ->option_text("N")
        ->check(CLI::Range(1, INT_MAX));
    command->callback([options, &exitCode] {
        try {
            exitCode = RunTrace(*options);
        } catch (const std::bad_alloc&) {
            std::fflush(stdout);
            JobOutput output;
            exitCode = ReportOutOfMemory(options->file, "tracing " + options->file, kTraceMemory, output,
                                         "the trace printed so far is incomplete");
            output.WriteTo(stdout, stderr);
        }
    });
}
