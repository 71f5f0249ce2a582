#include "tests/support/TracedImport.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <gtest/gtest.h>

#include "plugin/ImportSession.h"

namespace {
TraceHost::LineWriter AppendTo(std::vector<std::string>& lines)
{
    return [&lines](std::string_view line) { lines.emplace_back(line); };
}
}  // namespace

InstalledTraceHost::InstalledTraceHost(HostRefusals refusals)
    : host_(AppendTo(lines), refusals), previous_(SetSceneHost(&host_))
{
}

InstalledTraceHost::~InstalledTraceHost() { SetSceneHost(previous_); }

TracedImport::TracedImport(HostRefusals refusals)
    : trace_(refusals), messages_(trace_.host()), reader_(messages_, host_)
{
}

ImportResult TracedImport::Import(const std::vector<uint8_t>& bytes)
{
    auto exact = std::make_unique<uint8_t[]>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), exact.get());
    return reader_.ImportBytes(exact.get(), bytes.size());
}

std::vector<std::string> ImportTrace(const std::vector<uint8_t>& bytes, HostRefusals refusals)
{
    TracedImport import(refusals);
    import.Import(bytes);
    return import.lines();
}

std::vector<std::string> SessionTrace(ScriptedUserInterface& ui, HostRefusals refusals)
{
    InstalledTraceHost trace(refusals);
    ui.messageEcho = &trace.host();
    int result = RunImportSession(ui);
    ui.messageEcho = nullptr;
    trace.host().RecordGo(result);
    return trace.lines;
}

std::string WriteTempFile(const std::vector<uint8_t>& bytes, std::string_view name)
{
    // ctest runs each case in its own process, two at a time: the process
    // number keeps one case's file from being replaced by another's.
    std::filesystem::path path =
        std::filesystem::path(testing::TempDir()) / (std::to_string(getpid()) + "-" + std::string(name));
    // A new file, not one truncated in place: some file systems flush a
    // truncated file on close, which costs milliseconds per file.
    std::filesystem::remove(path);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    EXPECT_NE(file, nullptr) << path;
    if (file != nullptr) {
        if (!bytes.empty()) {
            EXPECT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file), bytes.size());
        }
        std::fclose(file);
    }
    return path.string();
}
