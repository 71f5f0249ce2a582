#include "tools/kvd/ImportDiagnostics.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include <unistd.h>

#include "plugin/GbkText.h"
#include "tools/kvd/ExitCodes.h"
#include "tools/scene/ProgressBar.h"

namespace {
uint64_t FileSizeOrZero(const std::string& path)
{
    std::error_code error;
    uintmax_t size = std::filesystem::file_size(path, error);
    return error ? 0 : static_cast<uint64_t>(size);
}
}  // namespace

bool ShowsProgress(const std::string& path, bool quiet)
{
    return !quiet && isatty(STDERR_FILENO) && FileSizeOrZero(path) >= kProgressFileSize;
}

ImportReport ImportWithProgress(const std::string& path, SceneDestination& destination, bool quiet)
{
    if (ShowsProgress(path, quiet)) {
        TerminalProgressBar bar(stderr);
        return ImportScene(path, destination, &bar);
    }
    return ImportScene(path, destination, nullptr);
}

std::string DescribeMessage(const std::string& gbkMessage)
{
    std::string text = GbkToUtf8(gbkMessage);
    const std::string gloss = EnglishGloss(gbkMessage);
    if (!gloss.empty() && gloss != text)
        text += " (" + gloss + ")";
    return text;
}

int ReportImportFailure(const std::string& path, const ImportReport& report, JobOutput& output)
{
    switch (report.status) {
    case ImportStatus::Complete:
        return 0;
    case ImportStatus::CannotOpen:
        output.Err("kvd: cannot open %s: %s\n", path.c_str(), report.openError.c_str());
        return kExitFailure;
    case ImportStatus::Rejected: {
        const std::string why = report.messages.empty() ? "header rejected" : DescribeMessage(report.messages.back());
        output.Err("kvd: %s: %s\n", path.c_str(), why.c_str());
        return kExitFailure;
    }
    case ImportStatus::Damaged:
        output.Err("kvd: %s: %s; what was read before the damage is kept\n", path.c_str(),
                   DescribeMessage(report.messages.empty() ? std::string() : report.messages.back()).c_str());
        return kExitDamaged;
    }
    return kExitFailure;
}

int ReportOutOfMemory(const std::string& path, const std::string& doing, const MemoryNeed& need,
                      JobOutput& output, const char* outcome)
{
    // A vertex takes 12 bytes of the file, so the largest mesh has at most
    // the file's size in bytes over 12 vertices.
    const uint64_t fileBytes = FileSizeOrZero(path);
    const double mib = 1024.0 * 1024.0;
    const double most = static_cast<double>(fileBytes / 12 * need.bytesPerVertex) / mib + need.fixedMiB;
    output.Err("kvd: out of memory while %s (a file of %.1f MiB); this needs about %d bytes per vertex of the "
               "scene's largest mesh plus %d MiB, at most %.1f MiB for this file; %s\n",
               doing.c_str(), static_cast<double>(fileBytes) / mib, need.bytesPerVertex, need.fixedMiB, most,
               outcome);
    return kExitOutOfMemory;
}

std::string ExitCodeHelp()
{
    return "Exit codes:\n"
           "  0  success\n"
           "  1  FILE cannot be opened, or is not a kvd scene file, or its header is damaged\n"
           "  2  usage error\n"
           "  3  the body of FILE is damaged: the part read before the damage was used\n"
           "  4  the output cannot be written, or would be larger than its format allows (kvd convert,\n"
           "     kvd render)\n"
           "  5  a texture image was not found or cannot be read (kvd convert --strict)\n"
           "  6  out of memory: nothing was written\n"
           "Over many files: the worst of the files' codes (0, 3, 5, 1 or 2, 4, 6 from best to worst).";
}
