// Whole sessions: the question, the dialog, every way a session ends, and
// GB_EndImport exactly once for every chosen file.
#include <gtest/gtest.h>

#include <new>

#include "base/GbkText.h"
#include "plugin/ImportSession.h"
#include "tools/standin/SceneHost.h"
#include "tests/support/CaseName.h"
#include "tests/support/ScenePieces.h"
#include "tests/support/TraceLines.h"
#include "tests/support/TracedImport.h"

using namespace kvdwriter;

namespace {

enum class Dialog { Cancelled, MissingFile, File };

struct SessionCase {
    const char* name;
    bool sceneNotEmpty;
    Answer answer;
    Dialog dialog;
    std::vector<uint8_t> file;
    HostRefusals refusals;
    std::vector<std::string> expected;
};

std::vector<uint8_t> EmptyScene() { return SceneBytes({}); }

std::vector<uint8_t> Cut(std::vector<uint8_t> bytes, size_t size)
{
    bytes.resize(size);
    return bytes;
}

const std::vector<std::string> kImported = {"GB_SceneEmpty", kStartSummary, kDefaultCameraSummary,
                                            "GB_EndImport", "go 1"};
const std::vector<std::string> kDeclined = {"GB_SceneEmpty -> 0", "go 0"};

const SessionCase kSessionCases[] = {
    {"empty scene imports without a question", false, Answer::No, Dialog::File, EmptyScene(), {}, kImported},
    {"yes imports",
     true, Answer::Yes, Dialog::File, EmptyScene(), {.sceneNotEmpty = true},
     {"GB_SceneEmpty -> 0", kStartSummary, kDefaultCameraSummary, "GB_EndImport", "go 1"}},
    {"no declines", true, Answer::No, Dialog::File, EmptyScene(), {.sceneNotEmpty = true}, kDeclined},
    {"cancel declines", true, Answer::Cancel, Dialog::File, EmptyScene(), {.sceneNotEmpty = true}, kDeclined},
    {"closed box declines", true, Answer::Closed, Dialog::File, EmptyScene(), {.sceneNotEmpty = true},
     kDeclined},
    {"cancelled dialog", false, Answer::Yes, Dialog::Cancelled, {}, {}, {"GB_SceneEmpty", "go 0"}},
    {"file that cannot be opened", false, Answer::Yes, Dialog::MissingFile, {}, {},
     {"GB_SceneEmpty", "GB_EndImport", "go 1"}},
    {"bad first tag", false, Answer::Yes, Dialog::File, SceneBytes({.header = {.firstTag = 599}}), {},
     {"GB_SceneEmpty", kDamagedSummary, "GB_EndImport", "go 1"}},
    {"bad signature", false, Answer::Yes, Dialog::File,
     SceneBytes({.header = {.signature = "*KOLVENDRASIS"}}), {},
     {"GB_SceneEmpty", "message 不是TRQ格式文件", "GB_EndImport", "go 1"}},
    {"refused start", false, Answer::Yes, Dialog::File, EmptyScene(), {.refuseStart = true},
     {"GB_SceneEmpty", "GB_StartImport -> 0", "message GB_StartImport error", "GB_EndImport", "go 1"}},
    {"damaged body", false, Answer::Yes, Dialog::File, Cut(EmptyScene(), 47), {},
     {"GB_SceneEmpty", kStartSummary, kDefaultCameraSummary, kDamagedSummary, "GB_EndImport", "go 1"}},
};

void PrintTo(const SessionCase& c, std::ostream* out) { *out << c.name; }

class ImportSessionTest : public testing::TestWithParam<SessionCase> {};

TEST_P(ImportSessionTest, EndsAsTheUserAndTheFileDecide)
{
    const SessionCase& c = GetParam();
    ScriptedUserInterface ui;
    ui.answer = c.answer;
    if (c.dialog == Dialog::File)
        ui.chosenPath = WriteTempFile(c.file, "session.kvd");
    else if (c.dialog == Dialog::MissingFile)
        ui.chosenPath = testing::TempDir() + "/no such folder/scene.kvd";

    EXPECT_EQ(Summaries(SessionTrace(ui, c.refusals)), c.expected);

    EXPECT_EQ(ui.startUps, 1);
    EXPECT_EQ(ui.shutDowns, 1);
    if (c.sceneNotEmpty) {
        ASSERT_EQ(ui.questions.size(), 1u);
        EXPECT_EQ(GbkToUtf8(ui.questions[0]), "3DMax输入\n此操作将清除当前场景，是否继续?");
    } else {
        EXPECT_TRUE(ui.questions.empty());
    }
    bool dialogShown = !c.sceneNotEmpty || c.answer == Answer::Yes;
    ASSERT_EQ(ui.dialogFilters.size(), dialogShown ? 1u : 0u);
    if (dialogShown) {
        EXPECT_EQ(GbkToUtf8(ui.dialogFilters[0]), "Kvd文件 (*.kvd)|*.kvd|所有文件(*.*)|*.*||");
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ImportSessionTest, testing::ValuesIn(kSessionCases), CaseName());

TEST(ImportSession, TwoSessionsInARowShareNothing)
{
    // The first file has materials and cameras; the second has none of its
    // own materials, so its mesh's index 0 names nothing and gets the
    // neutral default material, and its camera is again the default one.
    SceneDescription first = pieces::MaterialScene({{.name = "stone"}});
    first.cameras = {pieces::CameraLookingAt("one", {1, 1, 1}, {0, 0, 0})};
    SceneDescription second = pieces::NodeScene({pieces::IndexedMesh("box", 0)});
    second.cameras = {pieces::CameraLookingAt("two", {2, 2, 2}, {0, 0, 0})};

    std::vector<std::vector<std::string>> traces;
    for (const SceneDescription& scene : {first, second}) {
        ScriptedUserInterface ui;
        ui.chosenPath = WriteTempFile(SceneBytes(scene), "session.kvd");
        traces.push_back(SessionTrace(ui));
    }
    ASSERT_EQ(traces[0].size(), 9u);
    EXPECT_EQ(Summary(traces[0][2]), "GB_SetDefaultCamera one [1,1,1] [0,0,0]");
    EXPECT_EQ(Summary(traces[0][4]), "GB_BeginSurface stone");
    std::vector<tagMaterial> secondSurfaces = SurfaceMaterials(traces[1]);
    ASSERT_EQ(secondSurfaces.size(), 1u);
    EXPECT_EQ(secondSurfaces[0].shadeCode, 30);
    EXPECT_EQ(secondSurfaces[0].colour2[0], 0.5f);
    EXPECT_EQ(Summaries(traces[1]), (std::vector<std::string>{
                             "GB_SceneEmpty", kStartSummary, "GB_SetDefaultCamera two [2,2,2] [0,0,0]",
                             "GB_BeginObject", "GB_BeginSurface box", "GB_EndSurface", "GB_EndObject",
                             "GB_EndImport", "go 1"}));
}

// A host whose memory runs out when the first object begins.
class ExhaustedHost final : public SceneHost {
public:
    int BeginObject() override { throw std::bad_alloc(); }
    void EndImport() override { ++endImports; }
    int endImports = 0;
};

TEST(ImportSession, OutOfMemoryEndsTheImportInsideTheModule)
{
    ExhaustedHost host;
    SceneHost* previous = SetSceneHost(&host);
    ScriptedUserInterface ui;
    ui.chosenPath = WriteTempFile(SceneBytes(pieces::NodeScene({pieces::IndexedMesh("box", 0)})),
                                  "session.kvd");
    int result = 0;
    EXPECT_NO_THROW(result = RunImportSession(ui));
    SetSceneHost(previous);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(host.endImports, 1);
    EXPECT_EQ(ui.shutDowns, 1);
}

}  // namespace
