// Imports through the real reader into a TraceHost and keeps its trace: one
// JSON line per host call or message, in order.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "convert/HostDestination.h"
#include "reader/SceneReader.h"
#include "tests/support/ScriptedUserInterface.h"
#include "tools/standin/TraceHost.h"

// A TraceHost installed as the GB_ functions' host for its lifetime.
class InstalledTraceHost {
public:
    explicit InstalledTraceHost(HostRefusals refusals = {});
    ~InstalledTraceHost();
    InstalledTraceHost(const InstalledTraceHost&) = delete;
    InstalledTraceHost& operator=(const InstalledTraceHost&) = delete;

    TraceHost& host() { return host_; }
    std::vector<std::string> lines;

private:
    TraceHost host_;
    SceneHost* previous_;
};

// One SceneReader fed any number of inputs, its messages in the same trace.
class TracedImport {
public:
    explicit TracedImport(HostRefusals refusals = {});

    // Imports a copy of the bytes in a buffer of exactly their size, so a
    // read past the end is an error the address sanitizer sees.
    ImportResult Import(const std::vector<uint8_t>& bytes);
    const std::vector<std::string>& lines() const { return trace_.lines; }

private:
    // The reader's messages as lines of the trace.
    class TracedMessages final : public MessageSink {
    public:
        explicit TracedMessages(TraceHost& trace) : trace_(trace) {}
        void ShowMessage(ImportMessage message) override { trace_.ShowMessage(MessageText(message)); }

    private:
        TraceHost& trace_;
    };

    InstalledTraceHost trace_;
    TracedMessages messages_;
    HostDestination host_;
    SceneReader reader_;
};

// The trace of a single import of the bytes.
std::vector<std::string> ImportTrace(const std::vector<uint8_t>& bytes, HostRefusals refusals = {});

// A whole session through ui and a TraceHost; ui's messages join the trace,
// and the last line is {"go":N}.
std::vector<std::string> SessionTrace(ScriptedUserInterface& ui, HostRefusals refusals = {});

// Writes the bytes to a new file in the test's temporary folder; its path.
std::string WriteTempFile(const std::vector<uint8_t>& bytes, std::string_view name);
