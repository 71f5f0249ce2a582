#include "tools/scene/SceneImport.h"

#include <cstdio>
#include <filesystem>
#include <optional>
#include <system_error>

#include <unistd.h>

#include "reader/SceneReader.h"
#include "reader/UserTexts.h"
#include "tools/scene/ProgressBar.h"
#include "tools/scene/ReadableFile.h"

namespace {

class CollectedMessages final : public MessageSink {
public:
    explicit CollectedMessages(std::vector<std::string>& messages) : messages_(messages) {}
    void ShowMessage(const char* text) override { messages_.emplace_back(text); }

private:
    std::vector<std::string>& messages_;
};

}  // namespace

ImportReport ImportScene(const std::string& path, SceneDestination& destination, ProgressSink* progress)
{
    ImportReport report;
    const ReadableFile file = CheckReadable(path);
    if (!file.readable) {
        report.openError = file.whyNot;
        return report;
    }
    report.fileSize = file.size;

    CollectedMessages messages(report.messages);
    SceneReader reader(messages, destination);
    std::optional<ProgressReporter> reporter;
    if (progress != nullptr)
        reader.SetReadProgress(&reporter.emplace(report.fileSize, *progress));
    const int imported = reader.ImportFile(path);
    if (progress != nullptr)
        progress->Finish();

    if (!imported)
        report.status = ImportStatus::Rejected;
    else if (reader.damaged())
        report.status = ImportStatus::Damaged;
    else
        report.status = ImportStatus::Complete;
    return report;
}

bool ShowsProgress(const std::string& path, bool quiet)
{
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(path, error);
    return !quiet && isatty(STDERR_FILENO) && !error && size >= kProgressFileSize;
}

ImportReport ImportWithProgress(const std::string& path, SceneDestination& destination, bool quiet)
{
    if (ShowsProgress(path, quiet)) {
        TerminalProgressBar bar(stderr);
        return ImportScene(path, destination, &bar);
    }
    return ImportScene(path, destination, nullptr);
}

std::string EnglishGloss(const std::string& message)
{
    if (message == texts::kFileDamaged)
        return "the file is damaged";
    if (message == texts::kNotSceneFile)
        return "not a kvd scene file";
    if (message == texts::kCameraSectionError)
        return "the camera section does not end where expected";
    return {};
}
