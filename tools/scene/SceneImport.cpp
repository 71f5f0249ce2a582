#include "tools/scene/SceneImport.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <system_error>

#include <unistd.h>

#include "reader/SceneReader.h"
#include "tools/scene/ProgressBar.h"

namespace {

class CollectedMessages final : public MessageSink {
public:
    explicit CollectedMessages(std::vector<ImportMessage>& messages) : messages_(messages) {}
    void ShowMessage(ImportMessage message) override { messages_.push_back(message); }

private:
    std::vector<ImportMessage>& messages_;
};

uint64_t FileSizeOrZero(const std::string& path)
{
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(path, error);
    return error ? 0 : static_cast<uint64_t>(size);
}

}  // namespace

ImportReport ImportScene(const std::string& path, SceneDestination& destination, ProgressSink* progress)
{
    ImportReport report;
    report.fileSize = FileSizeOrZero(path);
    CollectedMessages messages(report.messages);
    SceneReader reader(messages, destination);
    std::optional<ProgressReporter> reporter;
    if (progress != nullptr)
        reader.SetReadProgress(&reporter.emplace(report.fileSize, *progress));
    report.result = reader.ImportFile(path);
    if (progress != nullptr)
        progress->Finish();
    if (report.result == ImportResult::CannotOpen)
        report.openError = OpenErrorText(reader.openError());
    return report;
}

ImportReport ImportSceneBytes(const uint8_t* data, size_t size, SceneDestination& destination)
{
    ImportReport report;
    report.fileSize = size;
    CollectedMessages messages(report.messages);
    SceneReader reader(messages, destination);
    report.result = reader.ImportBytes(data, size);
    return report;
}

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

std::string OpenErrorText(int error)
{
    // A folder given for a file is said plainly, as a person would.
    if (error == EISDIR)
        return "is a directory";
    return std::strerror(error);
}
