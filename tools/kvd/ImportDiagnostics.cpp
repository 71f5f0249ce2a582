#include "tools/kvd/ImportDiagnostics.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "base/GbkText.h"
#include "tools/kvd/ExitCodes.h"

namespace {
uint64_t FileSizeOrZero(const std::string& path)
{
    std::error_code error;
    uintmax_t size = std::filesystem::file_size(path, error);
    return error ? 0 : static_cast<uint64_t>(size);
}
}  // namespace

std::string DescribeMessage(ImportMessage message)
{
    std::string text = GbkToUtf8(MessageText(message));
    const std::string meaning = MessageMeaning(message);
    if (meaning != text)
        text += " (" + meaning + ")";
    return text;
}

std::string DescribeResult(ImportResult result)
{
    switch (result) {
    case ImportResult::NotKvdFile:
        return DescribeMessage(ImportMessage::NotKvdFile);
    case ImportResult::Declined:
        return DescribeMessage(ImportMessage::ImportDeclined);
    case ImportResult::HeaderDamaged:
    case ImportResult::BodyDamaged:
        return DescribeMessage(ImportMessage::FileDamaged);
    case ImportResult::Imported:
    case ImportResult::CannotOpen:
        break;
    }
    return {};
}

int ReportImportFailure(const std::string& path, const ImportReport& report, JobOutput& output)
{
    switch (report.result) {
    case ImportResult::Imported:
        return 0;
    case ImportResult::CannotOpen:
        output.Err("kvd: cannot open %s: %s\n", path.c_str(), report.openError.c_str());
        return kExitFailure;
    case ImportResult::NotKvdFile:
    case ImportResult::HeaderDamaged:
    case ImportResult::Declined:
        output.Err("kvd: %s: %s\n", path.c_str(), DescribeResult(report.result).c_str());
        return kExitFailure;
    case ImportResult::BodyDamaged:
        output.Err("kvd: %s: %s; what was read before the damage is kept\n", path.c_str(),
                   DescribeResult(report.result).c_str());
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
