// One import: the header, then the scene body, from a file or from memory.
#include <filesystem>
#include <system_error>

#include "reader/SceneReader.h"
#include "reader/UserTexts.h"

namespace {
uint64_t KnownFileSize(const std::string& path)
{
    std::error_code error;
    uintmax_t size = std::filesystem::file_size(path, error);
    return error ? InputBuffer::kUnknownSize : static_cast<uint64_t>(size);
}
}  // namespace

int SceneReader::ImportFile(const std::string& path)
{
    file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return 0;
    input_.emplace(file, KnownFileSize(path));
    input_->SetProgress(readProgress_);
    int result = ImportInput();
    input_.reset();
    std::fclose(file);
    file = nullptr;
    return result;
}

int SceneReader::ImportBytes(const uint8_t* data, size_t size)
{
    input_.emplace(data, size);
    int result = ImportInput();
    input_.reset();
    return result;
}

int SceneReader::ImportInput()
{
    damaged_ = false;
    damageReported_ = false;
    nestingDepth_ = 0;
    hostMaterials.clear();

    ImportHeader header;
    if (!ReadHeader(header))
        return 0;
    if (!destination_.StartImport()) {
        messages_.ShowMessage(texts::kStartImportError);
        return 0;
    }
    ReadSceneBody();
    // What the destination already received stays; the user learns the rest
    // was lost.
    if (damaged_)
        ReportDamage();
    return 1;
}
