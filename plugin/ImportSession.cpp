// One import session and the import of one file.
#include "plugin/ImportSession.h"

#include <memory>
#include <new>

#include "convert/HostDestination.h"
#include "host/SceneBuilder.h"
#include "plugin/DialogTexts.h"
#include "reader/SceneReader.h"

namespace {
// The reader's messages, each in an error box of the user interface.
class MessageBoxes final : public MessageSink {
public:
    explicit MessageBoxes(UserInterface& ui) : ui_(ui) {}
    void ShowMessage(ImportMessage message) override { ui_.ShowMessage(MessageText(message)); }

private:
    UserInterface& ui_;
};
}  // namespace

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
    MessageBoxes messages(ui);
    HostDestination host;
    try {
        reader = std::make_unique<SceneReader>(messages, host);
        reader->ImportFile(path);
    } catch (const std::bad_alloc&) {
        reader.reset();
    }
    HostDestination::EndImport();
    ui.ShutDown();
    return 1;
}
