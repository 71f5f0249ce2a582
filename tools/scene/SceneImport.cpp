#include "tools/scene/SceneImport.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <system_error>

#include "reader/SceneReader.h"
#include "reader/UserTexts.h"

namespace {

class CollectedMessages final : public MessageSink {
public:
    explicit CollectedMessages(std::vector<std::string>& messages) : messages_(messages) {}
    void ShowMessage(const char* text) override { messages_.emplace_back(text); }

private:
    std::vector<std::string>& messages_;
};

// Opens the file once up front, so that "cannot open" is told apart from a
// rejected header, and a directory is not taken for an empty file.
bool CheckReadable(const std::string& path, ImportReport& report)
{
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        report.openError = "is a directory";
        return false;
    }
    std::FILE* probe = std::fopen(path.c_str(), "rb");
    if (probe == nullptr) {
        report.openError = std::strerror(errno);
        return false;
    }
    std::fclose(probe);
    uintmax_t size = std::filesystem::file_size(path, error);
    report.fileSize = error ? 0 : static_cast<uint64_t>(size);
    return true;
}

}  // namespace

ImportReport ImportScene(const std::string& path, SceneDestination& destination, ProgressSink* progress)
{
    ImportReport report;
    if (!CheckReadable(path, report))
        return report;

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
