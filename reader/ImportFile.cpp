// One import: the header, then the scene body, from a file or from memory.
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "reader/SceneReader.h"

namespace {
uint64_t KnownFileSize(const std::string& path)
{
    std::error_code error;
    uintmax_t size = std::filesystem::file_size(path, error);
    return error ? InputBuffer::kUnknownSize : static_cast<uint64_t>(size);
}
}  // namespace

ImportResult SceneReader::ImportFile(const std::string& path)
{
    openError_ = 0;
    // Some systems open a folder for reading and fail only at the first read.
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        openError_ = EISDIR;
        return ImportResult::CannotOpen;
    }
    file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        openError_ = errno != 0 ? errno : ENOENT;
        return ImportResult::CannotOpen;
    }
    input_.emplace(file, KnownFileSize(path));
    input_->SetProgress(readProgress_);
    const ImportResult result = ImportInput();
    input_.reset();
    std::fclose(file);
    file = nullptr;
    return result;
}

ImportResult SceneReader::ImportBytes(const uint8_t* data, size_t size)
{
    input_.emplace(data, size);
    const ImportResult result = ImportInput();
    input_.reset();
    return result;
}

ImportResult SceneReader::ImportInput()
{
    damaged_ = false;
    damageReported_ = false;
    nestingDepth_ = 0;
    fileMaterialCount_ = 0;

    if (const std::optional<ImportResult> rejected = ReadHeader())
        return *rejected;
    if (!destination_.StartImport()) {
        messages_.ShowMessage(ImportMessage::ImportDeclined);
        return ImportResult::Declined;
    }
    ReadSceneBody();
    // What the destination already received stays; the user learns the rest
    // was lost.
    if (damaged_) {
        ReportDamage();
        return ImportResult::BodyDamaged;
    }
    return ImportResult::Imported;
}
