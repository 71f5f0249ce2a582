// One import session and the import of one file.
#include "plugin/ImportSession.h"

#include <filesystem>
#include <memory>
#include <new>
#include <system_error>

#include "host/SceneBuilder.h"
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
    filePath = path;
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
    if (!GB_StartImport()) {
        messages_.ShowMessage(texts::kStartImportError);
        return 0;
    }
    ReadSceneBody();
    // What the host already received stays; the user learns the rest was lost.
    if (damaged_)
        ReportDamage();
    return 1;
}

int ChooseSceneFile(UserInterface& ui, std::string& path)
{
    return ui.ChooseOpenFile(texts::kSceneFileFilter, path) ? 1 : 0;
}

int RunImportSession(UserInterface& ui)
{
    ui.StartUp();
    if (!GB_SceneEmpty() &&
        ui.AskYesNoCancel(texts::kQuestionCaption, texts::kClearSceneQuestion) != Answer::Yes) {
        ui.ShutDown();
        return 0;
    }
    std::string path;
    if (!ChooseSceneFile(ui, path)) {
        ui.ShutDown();
        return 0;
    }
    // Running out of memory ends the import where it stands: no exception
    // may cross into the host, and the host still hears GB_EndImport. No
    // object is open then, since nothing is allocated inside a bracket.
    std::unique_ptr<SceneReader> reader;
    try {
        reader = std::make_unique<SceneReader>(ui);
        reader->ImportFile(path);
    } catch (const std::bad_alloc&) {
        reader.reset();
    }
    GB_EndImport();
    ui.ShutDown();
    return 1;
}
