// The kvd program as people run it: an exit code for each kind of failure,
// reasons in UTF-8, an output that is either complete or not there, and
// kvd info's JSON.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "ConvertScenes.h"
#include "TempFolder.h"
#include "ToolRun.h"
#include "tools/samples/SampleScenes.h"

namespace {

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string HouseBytes()
{
    for (const SampleScene& sample : SampleScenes()) {
        if (sample.fileName == "house.kvd") {
            const std::vector<uint8_t> bytes = kvdwriter::SceneBytes(sample.scene);
            return std::string(bytes.begin(), bytes.end());
        }
    }
    return {};
}

bool HasPartialFiles(const TempFolder& folder)
{
    for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
        if (entry.path().filename().string().find(".partial-") != std::string::npos)
            return true;
    }
    return false;
}

struct FailureCase {
    const char* name;
    std::string input;             // bytes of in.kvd, or "" for no file
    const char* arguments;         // IN stands for the input, OUT for the output
    int exitCode;
    const char* errorText;         // part of what standard error says
    bool outputWritten;
};

void PrintTo(const FailureCase& c, std::ostream* out)
{
    *out << c.name;
}

class KvdFailureTest : public testing::TestWithParam<FailureCase> {};

std::string Substitute(std::string text, const TempFolder& folder)
{
    for (auto [key, value] : {std::pair<std::string, std::string>{"IN", folder / "in.kvd"},
                              {"OUT", folder / "out.glb"}, {"DIR", folder.path().string()}}) {
        for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size()))
            text.replace(at, key.size(), Quote(value));
    }
    return text;
}

TEST_P(KvdFailureTest, ExitsWithItsCodeAndLeavesNoHalfWrittenOutput)
{
    const FailureCase& c = GetParam();
    TempFolder folder;
    if (!c.input.empty())
        WriteFile(folder / "in.kvd", c.input);
    const ToolRun run = RunKvd(folder.path(), Substitute(c.arguments, folder));
    EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
    EXPECT_NE(run.err.find(c.errorText), std::string::npos) << run.err;
    EXPECT_EQ(std::filesystem::exists(folder / "out.glb"), c.outputWritten);
    EXPECT_FALSE(HasPartialFiles(folder));
}

const std::string kHouse = HouseBytes();

INSTANTIATE_TEST_SUITE_P(
    Cases, KvdFailureTest,
    testing::Values(
        FailureCase{"missing_file", "", "convert IN OUT", 1, "cannot open", false},
        FailureCase{"directory", "", "info DIR", 1, "is a directory", false},
        FailureCase{"text_file", "just some text, long enough to be read", "convert IN OUT", 1,
                    "文件已破坏 (the file is damaged)", false},
        FailureCase{"other_signature", std::string("\x56\x02\x0e\0\0\0*OTHERSIGNATUR\0", 20) + kHouse.substr(20),
                    "convert IN OUT", 1, "不是TRQ格式文件 (not a kvd scene file)", false},
        FailureCase{"header_cut", kHouse.substr(0, 10), "convert IN OUT", 1, "文件已破坏 (the file is damaged)",
                    false},
        FailureCase{"body_cut", kHouse.substr(0, kHouse.size() - 700), "convert IN OUT", 3,
                    "what was read before the damage is kept", true},
        FailureCase{"info_body_cut", kHouse.substr(0, kHouse.size() - 700), "info IN", 3, "damaged", false},
        FailureCase{"unknown_extension", kHouse, "convert IN DIR/out.xyz", 2, ".glb, .gltf or .obj", false},
        FailureCase{"missing_operand", kHouse, "convert IN", 2, "OUT", false},
        FailureCase{"no_verb", "", "", 2, "", false},
        FailureCase{"unwritable_output", kHouse, "convert IN DIR/no/such/folder/out.glb", 4, "cannot write",
                    false},
        // kvd render: the same codes; OUT holds the picture whatever its name.
        FailureCase{"render_missing_file", "", "render IN OUT", 1, "cannot open", false},
        FailureCase{"render_body_cut", kHouse.substr(0, kHouse.size() - 700), "render IN OUT", 3,
                    "what was read before the damage is kept", true},
        FailureCase{"render_unwritable_output", kHouse, "render IN DIR/no/such/folder/out.png", 4, "cannot write",
                    false},
        FailureCase{"render_no_such_camera", kHouse, "render --camera 2 IN OUT", 2, "there is no camera 2", false},
        FailureCase{"render_bad_size", kHouse, "render --size 800 IN OUT", 2, "WxH", false},
        FailureCase{"render_too_large", kHouse, "render --size 5000x10 IN OUT", 2, "WxH", false},
        FailureCase{"convert_many_without_folder", kHouse, "convert IN IN OUT", 2, "-o OUTDIR", false},
        // A .glb counts its bytes in 32 bits; a small limit stands in for 4 GiB.
        FailureCase{"glb_too_large", kHouse, "convert --max-glb-bytes 2000 IN OUT", 4,
                    "convert to .gltf instead", false}),
    [](const testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

TEST(KvdToolTest, AFailedConversionLeavesTheOldOutputAsItWas)
{
    TempFolder folder;
    WriteFile(folder / "in.kvd", kHouse.substr(0, 12));
    WriteFile(folder / "out.obj", "old");
    WriteFile(folder / "out.mtl", "old library");
    const ToolRun run = RunKvd(folder.path(), Quote(folder / "in.kvd") + " " + "x");   // usage
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(RunKvd(folder.path(), "convert " + Quote(folder / "in.kvd") + " " + Quote(folder / "out.obj")).exitCode, 1);
    EXPECT_EQ(ReadFile(folder / "out.obj"), "old");
    EXPECT_EQ(ReadFile(folder / "out.mtl"), "old library");
}

TEST(KvdToolTest, AnOutputThatCannotBeFinishedLeavesTheOldOneAndNoTemporaryFile)
{
    // Too large for a .glb, and a file-size limit standing in for a full disk
    // (the write fails as it would with ENOSPC).
    struct Case {
        const char* output;
        const char* options;
        const char* limits;
        const char* errorText;
    };
    // No images: the notes of images not found would pass the file-size
    // limit, which holds for the captured standard error too.
    for (const Case& c : {Case{"out.glb", "--max-glb-bytes 2000", "", "convert to .gltf instead"},
                          Case{"out.glb", "--no-images", "-f 4", "File too large"},
                          Case{"out.gltf", "--no-images", "-f 1", "File too large"},
                          Case{"out.obj", "--no-images", "-f 2", "File too large"}}) {
        TempFolder folder;
        WriteFile(folder / "in.kvd", kHouse);
        WriteFile(folder / "out.mtl", "old library");
        WriteFile(folder / c.output, "old");
        const ToolRun run = RunKvd(folder.path(),
                                   std::string("convert --quiet ") + c.options + " " + Quote(folder / "in.kvd") +
                                       " " + Quote(folder / c.output),
                                   c.limits);
        EXPECT_EQ(run.exitCode, 4) << c.output << " " << c.limits << ": " << run.err;
        EXPECT_NE(run.err.find(c.errorText), std::string::npos) << run.err;
        EXPECT_EQ(ReadFile(folder / c.output), "old");
        EXPECT_EQ(ReadFile(folder / "out.mtl"), "old library") << c.output << " " << c.limits;
        EXPECT_FALSE(HasPartialFiles(folder));
    }
}

TEST(KvdToolTest, RunningOutOfMemorySaysSoInEveryVerb)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer's shadow memory does not fit under an address-space cap";
#endif
    // From a cap too small to load the program up to one the verb fits in:
    // every run that starts either succeeds or says it ran out of memory,
    // with its own exit code, and leaves no output behind; none aborts.
    std::string grid;
    for (const ConvertScene& scene : ConvertScenes()) {
        if (scene.name == "large_grid") {
            const std::vector<uint8_t> bytes = kvdwriter::SceneBytes(scene.scene);
            grid.assign(bytes.begin(), bytes.end());
        }
    }
    ASSERT_FALSE(grid.empty());
    // The program's libraries take a share of the address space that has
    // nothing to do with the scene: the search starts just below the cap
    // under which the program loads at all.
    int loads = 1 << 21;
    int fails = 4096;
    {
        TempFolder folder;
        while (loads - fails > 512) {
            const int kib = (loads + fails) / 2;
            (RunKvd(folder.path(), "--help >/dev/null", "-v " + std::to_string(kib)).exitCode == 0 ? loads : fails) = kib;
        }
    }
    for (const char* verb : {"convert --quiet IN OUT", "info IN", "trace IN >/dev/null"}) {
        bool sawOutOfMemory = false;
        bool sawSuccess = false;
        for (int kib = fails; kib <= fails + 131072 && !sawSuccess; kib += 512) {
            TempFolder folder;
            WriteFile(folder / "in.kvd", grid);
            const ToolRun run = RunKvd(folder.path(), Substitute(verb, folder), "-v " + std::to_string(kib));
            // Right at the load floor the loader or a library's start-up can
            // fail (127, or a crash before the program runs): not the verb's
            // doing, so only runs above the first that reached the verb count.
            if ((run.exitCode == 127 || run.exitCode == -1) && !sawOutOfMemory)
                continue;
            if (run.exitCode == 6) {
                sawOutOfMemory = true;
                EXPECT_NE(run.err.find("kvd: out of memory while "), std::string::npos) << run.err;
                EXPECT_FALSE(std::filesystem::exists(folder / "out.glb"));
            } else {
                ASSERT_EQ(run.exitCode, 0) << verb << " at " << kib << " KiB: " << run.err;
                sawSuccess = true;
            }
            EXPECT_FALSE(HasPartialFiles(folder)) << kib << " KiB";
        }
        EXPECT_TRUE(sawOutOfMemory) << verb;
        EXPECT_TRUE(sawSuccess) << verb;
    }
}

TEST(KvdToolTest, AStoppedConversionLeavesNoOutputAndNoTemporaryFile)
{
    // The scene comes through a pipe, so the conversion is certainly under
    // way (its temporary files made, half the scene read) when the signal
    // comes: Ctrl-C, or kill.
    // A fault (here sent, as a crash would raise it) ends it the same way.
    const std::pair<const char*, int> cases[] = {{"out.glb", SIGINT}, {"out.gltf", SIGTERM}, {"out.obj", SIGINT},
                                                 {"out.glb", SIGSEGV}, {"out.gltf", SIGABRT}, {"out.obj", SIGBUS}};
    for (const auto& [output, signal] : cases) {
        TempFolder folder;
        const std::string input = folder / "in.kvd";
        ASSERT_EQ(mkfifo(input.c_str(), 0600), 0);
        WriteFile(folder / output, "old");
        const std::string outPath = folder / output;
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::freopen("/dev/null", "w", stderr);
            execl(KVD_TOOL, KVD_TOOL, "convert", "--quiet", input.c_str(), outPath.c_str(), nullptr);
            _exit(127);
        }
        const int pipe = open(input.c_str(), O_WRONLY);
        ASSERT_GE(pipe, 0);
        ASSERT_EQ(write(pipe, kHouse.data(), kHouse.size() / 2), static_cast<ssize_t>(kHouse.size() / 2));
        for (int wait = 0; wait < 1000 && !HasPartialFiles(folder); ++wait)
            usleep(10000);
        EXPECT_TRUE(HasPartialFiles(folder)) << "the conversion made its temporary files";
        kill(child, signal);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        close(pipe);
        // (A sanitizer build reports a fault and exits instead.)
        if (signal == SIGINT || signal == SIGTERM)
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << output << ": " << status;
        else
            EXPECT_FALSE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << output << ": " << status;
        EXPECT_FALSE(HasPartialFiles(folder)) << output;
        EXPECT_EQ(ReadFile(outPath), "old");
    }
}

TEST(KvdToolTest, ConvertWritesTheObjAndItsLibraryTogether)
{
    TempFolder folder;
    WriteFile(folder / "in.kvd", kHouse);
    const ToolRun run = RunKvd(folder.path(), "convert --quiet " + Quote(folder / "in.kvd") + " " + Quote(folder / "out.obj"));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(run.out.empty()) << "--quiet prints no summary";
    EXPECT_NE(ReadFile(folder / "out.obj").find("mtllib out.mtl"), std::string::npos);
    EXPECT_NE(ReadFile(folder / "out.mtl").find("newmtl 木材"), std::string::npos);
}

TEST(KvdToolTest, InfoJsonDescribesTheSample)
{
    TempFolder folder;
    const ToolRun run = RunKvd(folder.path(), std::string("info --json ") + Quote(std::string(KVD_SAMPLES_DIR) + "/house.kvd"));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const nlohmann::json info = nlohmann::json::parse(run.out);
    EXPECT_EQ(info["status"], "complete");
    EXPECT_EQ(info["header"]["accepted"], true);
    ASSERT_EQ(info["materials"].size(), 4u);
    EXPECT_EQ(info["materials"][0]["name"], "木材");
    EXPECT_EQ(info["materials"][0]["texture"], "wood.jpg");
    EXPECT_EQ(info["materials"][0]["bumpTexture"], "wood_bump.bmp");
    ASSERT_EQ(info["cameras"].size(), 2u);
    EXPECT_EQ(info["cameras"][0]["name"], "相机1");
    EXPECT_EQ(info["cameras"][1]["eye"], nlohmann::json::parse("[0.0, 0.0, 30000.0]"));
    EXPECT_EQ(info["objects"]["count"], 5);
    EXPECT_EQ(info["objects"]["triangles"], 146);
    // Walls 8, door 4, window 4, roof 6, ground 81: shared corners counted once.
    EXPECT_EQ(info["objects"]["vertices"], 103);
    EXPECT_EQ(info["objects"]["bounds"]["max"], nlohmann::json::parse("[8000.0, 8000.0, 4000.0]"));
    EXPECT_EQ(info["objects"]["list"][4]["material"]["name"], "地面");
    EXPECT_EQ(info["objects"]["list"][0]["material"]["file"], 1);
    EXPECT_TRUE(info["messages"].empty());
}

TEST(KvdToolTest, HelpListsTheExitCodes)
{
    TempFolder folder;
    for (const char* verb : {"info", "convert"}) {
        const ToolRun run = RunKvd(folder.path(), std::string(verb) + " --help");
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_NE(run.out.find("3  the body of FILE is damaged"), std::string::npos) << verb;
    }
}

// A folder of good, damaged and unreadable scenes, and a file that is not
// there: every good and damaged scene gets its output, the summary counts
// them and names the failures, and the exit code is the worst one.
class KvdBatchTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(folder.path() / "in" / "sub");
        WriteFile(folder / "in/house.kvd", kHouse);
        WriteFile(folder / "in/sub/Second.KVD", kHouse);
        WriteFile(folder / "in/cut.kvd", kHouse.substr(0, kHouse.size() - 700));
        WriteFile(folder / "in/text.kvd", "just some text, long enough to be read");
        WriteFile(folder / "in/notes.txt", "not a scene");
    }

    std::string Inputs() const { return Quote(folder / "in") + " " + Quote(folder / "missing.kvd"); }

    TempFolder folder;
};

TEST_F(KvdBatchTest, ConvertWritesEveryReadableSceneAndSummarises)
{
    const ToolRun run = RunKvd(folder.path(), "convert -j 3 --to glb -o " + Quote(folder / "out") + " " + Inputs());
    EXPECT_EQ(run.exitCode, 1) << run.err;
    for (const char* written : {"out/house.glb", "out/sub/Second.glb", "out/cut.glb"})
        EXPECT_TRUE(std::filesystem::exists(folder / written)) << written;
    EXPECT_FALSE(std::filesystem::exists(folder / "out/text.glb"));
    EXPECT_NE(run.err.find("2 converted, 1 damaged, 2 failed: "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("text.kvd"), std::string::npos);
    EXPECT_NE(run.err.find("missing.kvd"), std::string::npos);
}

TEST_F(KvdBatchTest, InfoJsonPrintsOneDocumentPerFile)
{
    const ToolRun run = RunKvd(folder.path(), "info --json " + Inputs());
    EXPECT_EQ(run.exitCode, 1) << run.err;
    std::istringstream lines(run.out);
    std::map<std::string, std::string> statusOf;
    for (std::string line; std::getline(lines, line);) {
        const nlohmann::json info = nlohmann::json::parse(line);
        statusOf[std::filesystem::path(info["file"].get<std::string>()).filename().string()] = info["status"];
    }
    const std::map<std::string, std::string> expected = {{"house.kvd", "complete"},   {"Second.KVD", "complete"},
                                                         {"cut.kvd", "damaged"},      {"text.kvd", "rejected"},
                                                         {"missing.kvd", "cannot-open"}};
    EXPECT_EQ(statusOf, expected);
}

TEST_F(KvdBatchTest, RenderDrawsEveryReadableSceneAndOnlyDamageLeftTheExitCodeAt3)
{
    std::filesystem::remove(folder / "in/text.kvd");
    const ToolRun run = RunKvd(folder.path(), "render --size 64x48 -o " + Quote(folder / "pictures") + " " +
                                           Quote(folder / "in"));
    EXPECT_EQ(run.exitCode, 3) << run.err;
    for (const char* written : {"pictures/house.png", "pictures/sub/Second.png", "pictures/cut.png"})
        EXPECT_TRUE(std::filesystem::exists(folder / written)) << written;
    EXPECT_NE(run.err.find("2 rendered, 1 damaged, 0 failed"), std::string::npos) << run.err;
}

}  // namespace
