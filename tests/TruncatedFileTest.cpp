// A complete file cut at every byte and chosen in a whole session: the file
// reader (not the in-memory one) meets the end, and the session still ends
// with one GB_EndImport, one damaged-file message and balanced brackets,
// having told the host only what the whole file tells it.
#include <algorithm>
#include <gtest/gtest.h>

#include "tests/support/ScenePieces.h"
#include "tests/support/TraceLines.h"
#include "tests/support/TracedImport.h"

using namespace kvdwriter;

namespace {

// The lines that open or fill something; closing calls and the session's
// own lines are left out, as a cut may close early.
std::vector<std::string> OpeningCalls(const std::vector<std::string>& lines)
{
    std::vector<std::string> opening;
    for (const std::string& line : lines) {
        std::string call = CallOf(line);
        if (call != "GB_EndSurface" && call != "GB_EndObject" && call != "message" && call != "go" &&
            call != "GB_SceneEmpty" && call != "GB_EndImport")
            opening.push_back(line);
    }
    return opening;
}

// Objects and surfaces open and close in order and are never nested.
bool Balanced(const std::vector<std::string>& lines)
{
    bool object = false;
    bool surface = false;
    for (const std::string& line : lines) {
        std::string call = CallOf(line);
        bool accepted = FieldOf(line, "result") != "0";
        if (call == "GB_BeginObject" && accepted) {
            if (object)
                return false;
            object = true;
        } else if (call == "GB_BeginSurface" && accepted) {
            if (!object || surface)
                return false;
            surface = true;
        } else if (call == "GB_AddTriangle") {
            if (!surface)
                return false;
        } else if (call == "GB_EndSurface") {
            if (!surface)
                return false;
            surface = false;
        } else if (call == "GB_EndObject") {
            if (!object || surface)
                return false;
            object = false;
        }
    }
    return !object && !surface;
}

TEST(TruncatedFile, EveryCutEndsTheSessionCleanly)
{
    SceneDescription scene = pieces::SampleScene();
    std::vector<uint8_t> whole = SceneBytes(scene);
    KvdWriter header;
    header.Header(scene.header);
    std::vector<std::string> wholeCalls = OpeningCalls(ImportTrace(whole));
    ASSERT_EQ(CountOf(ImportTrace(whole), "message"), 0);

    for (size_t cut = 0; cut < whole.size(); ++cut) {
        ScriptedUserInterface ui;
        ui.chosenPath = WriteTempFile({whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut)}, "cut.kvd");
        std::vector<std::string> lines = SessionTrace(ui);
        std::vector<std::string> summaries = Summaries(lines);
        std::vector<std::string> calls = OpeningCalls(lines);

        std::string failure;
        if (CountOf(lines, "GB_EndImport") != 1 || summaries.size() < 3 ||
            !std::equal(summaries.end() - 3, summaries.end(),
                        std::vector<std::string>{kDamagedSummary, "GB_EndImport", "go 1"}.begin()))
            failure += "the session does not end with the message, GB_EndImport and go 1\n";
        if (CountOf(lines, "message") != 1)
            failure += "not exactly one message\n";
        if (CountOf(lines, "GB_StartImport") != (cut >= header.size() ? 1 : 0))
            failure += "GB_StartImport where the header is not complete, or missing\n";
        if (!Balanced(lines))
            failure += "objects or surfaces unbalanced\n";
        if (calls.size() > wholeCalls.size() || !std::equal(calls.begin(), calls.end(), wholeCalls.begin()))
            failure += "calls the whole file does not make\n";
        if (!failure.empty()) {
            // One failing cut tells the story; the next ones would repeat it.
            ADD_FAILURE() << "cut at byte " << cut << " of " << whole.size() << ":\n" << failure;
            break;
        }
    }
}

}  // namespace
