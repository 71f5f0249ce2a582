// The batch runner with jobs of the test's own: outcomes counted and the
// worst exit code kept, each job's output whole, failures not stopping the
// rest; and which files a batch finds in folders.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <new>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "TempFolder.h"
#include "tools/kvd/BatchRunner.h"
#include "tools/kvd/SceneCommands.h"

namespace {

// What the runner printed, read back from temporary files.
struct Printed {
    std::string out;
    std::string err;
};

std::string ReadAll(std::FILE* file)
{
    std::rewind(file);
    std::string text;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, got);
    std::fclose(file);
    return text;
}

BatchSummary RunCapturing(const std::vector<SceneFile>& files, const BatchJob& job, int threads, Printed& printed)
{
    BatchSettings settings;
    settings.threads = threads;
    settings.out = std::tmpfile();
    settings.err = std::tmpfile();
    const BatchSummary summary = RunBatch(files, job, settings);
    printed.out = ReadAll(settings.out);
    printed.err = ReadAll(settings.err);
    return summary;
}

std::vector<SceneFile> Files(const std::vector<std::string>& names)
{
    std::vector<SceneFile> files;
    for (const std::string& name : names)
        files.push_back({name, name});
    return files;
}

struct OutcomeCase {
    const char* name;
    std::vector<int> exitCodes;   // one file per code
    size_t succeeded, damaged, failed;
    int exitCode;
};

void PrintTo(const OutcomeCase& c, std::ostream* out)
{
    *out << c.name;
}

class BatchOutcomeTest : public testing::TestWithParam<OutcomeCase> {};

TEST_P(BatchOutcomeTest, CountsEachFileAndExitsWithTheWorstCode)
{
    const OutcomeCase& c = GetParam();
    std::vector<std::string> names;
    std::map<std::string, int> codes;
    for (size_t i = 0; i < c.exitCodes.size(); ++i) {
        names.push_back("file" + std::to_string(i) + ".kvd");
        codes[names.back()] = c.exitCodes[i];
    }
    Printed printed;
    const BatchSummary summary =
        RunCapturing(Files(names), [&](const SceneFile& file, JobOutput&) { return codes.at(file.path); }, 3, printed);
    EXPECT_EQ(summary.succeeded, c.succeeded);
    EXPECT_EQ(summary.damaged, c.damaged);
    EXPECT_EQ(summary.failed, c.failed);
    EXPECT_EQ(summary.exitCode, c.exitCode);
    EXPECT_EQ(summary.failures.size(), c.failed);
    for (const std::string& failure : summary.failures)
        EXPECT_NE(codes.at(failure), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, BatchOutcomeTest,
    testing::Values(OutcomeCase{"all_good", {0, 0, 0, 0}, 4, 0, 0, 0},
                    OutcomeCase{"one_damaged", {0, kExitDamaged, 0}, 2, 1, 0, kExitDamaged},
                    OutcomeCase{"failure_beats_damage", {kExitDamaged, kExitFailure, 0}, 1, 1, 1, kExitFailure},
                    OutcomeCase{"unwritable_beats_unreadable", {kExitCannotWrite, kExitFailure, kExitDamaged}, 0, 1,
                                2, kExitCannotWrite},
                    OutcomeCase{"usage_counts_as_failure", {kExitUsage, 0}, 1, 0, 1, kExitUsage},
                    OutcomeCase{"no_files", {}, 0, 0, 0, 0}),
    [](const testing::TestParamInfo<OutcomeCase>& info) { return std::string(info.param.name); });

TEST(BatchRunnerTest, EachJobsOutputIsPrintedWhole)
{
    std::vector<std::string> names;
    for (int i = 0; i < 40; ++i)
        names.push_back(std::to_string(i));
    Printed printed;
    RunCapturing(Files(names),
        [](const SceneFile& file, JobOutput& output) {
            // Lines written a piece at a time, with other jobs running.
            for (int line = 0; line < 20; ++line) {
                output.Out("%s:", file.path.c_str());
                std::this_thread::yield();
                output.Out("%d\n", line);
                output.Err("%s error %d\n", file.path.c_str(), line);
            }
            return 0;
        },
        4, printed);
    for (const std::string& text : {printed.out, printed.err}) {
        // Every job's lines come together and in order.
        std::map<std::string, int> seen;
        std::string previous;
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);) {
            const std::string job = line.substr(0, line.find_first_of(": "));
            if (job != previous) {
                EXPECT_EQ(seen.count(job), 0u) << "job " << job << " printed in two parts";
                previous = job;
            }
            ++seen[job];
        }
        EXPECT_EQ(seen.size(), names.size());
        for (const auto& [job, count] : seen)
            EXPECT_EQ(count, 20) << job;
    }
}

TEST(BatchRunnerTest, AJobThatThrowsFailsItsFileOnly)
{
    // Running out of memory has its own code; anything else thrown is a failure.
    struct Case {
        std::function<void()> raise;
        int exitCode;
    };
    const Case cases[] = {{[] { throw std::runtime_error("broken"); }, kExitFailure},
                          {[] { throw std::bad_alloc(); }, kExitOutOfMemory}};
    for (const Case& c : cases) {
        Printed printed;
        const BatchSummary summary = RunCapturing(Files({"a", "b", "c"}),
                                                  [&c](const SceneFile& file, JobOutput&) -> int {
                                                      if (file.path == "b")
                                                          c.raise();
                                                      return 0;
                                                  },
                                                  2, printed);
        EXPECT_EQ(summary.succeeded, 2u);
        EXPECT_EQ(summary.failures, std::vector<std::string>{"b"});
        EXPECT_EQ(summary.exitCode, c.exitCode);
        EXPECT_NE(printed.err.find("kvd: b: "), std::string::npos);
    }
}

TEST(BatchRunnerTest, TheSummaryNamesTheFailures)
{
    BatchSummary summary;
    summary.succeeded = 3;
    summary.damaged = 1;
    summary.failed = 2;
    summary.failures = {"x.kvd", "y/z.kvd"};
    EXPECT_EQ(FormatSummary(summary, "converted"), "3 converted, 1 damaged, 2 failed: x.kvd, y/z.kvd");
}

void Touch(const std::filesystem::path& path)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << "x";
}

TEST(SceneFileSearchTest, FindsSceneFilesInFoldersInAnyLetterCaseWithUniqueOutputNames)
{
    TempFolder folder;
    const std::filesystem::path in = folder.path() / "in";
    for (const char* name : {"b.kvd", "a.KVD", "sub/c.Kvd", "sub/deeper/a.kvd", "notes.txt", "kvd", "x.kvd.bak"})
        Touch(in / name);
    std::filesystem::create_directories(in / "folder.kvd");
    const std::string named = (folder.path() / "a.kvd").string();
    Touch(named);

    const SceneFileSearch search = FindSceneFiles({in.string(), named, (folder.path() / "missing.kvd").string()});
    std::vector<std::pair<std::string, std::string>> found;
    for (const SceneFile& file : search.files)
        found.emplace_back(std::filesystem::path(file.path).lexically_relative(folder.path()).string(), file.outputStem);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"in/a.KVD", "a"},
        {"in/b.kvd", "b"},
        {"in/sub/c.Kvd", "sub/c"},
        {"in/sub/deeper/a.kvd", "sub/deeper/a"},
        {"a.kvd", "a-2"},                 // named itself, after a.KVD of the folder
        {"missing.kvd", "missing"},       // kept, so that its job says why it fails
    };
    EXPECT_EQ(found, expected);
    EXPECT_TRUE(search.unreadableFolders.empty());
}

TEST(SceneFileSearchTest, AFolderWithoutScenesIsNamedAndOneInputIsABatchOnlyWhenAFolder)
{
    TempFolder folder;
    Touch(folder.path() / "scene.kvd");
    const std::string empty = (folder.path() / "empty").string();
    std::filesystem::create_directories(empty);
    EXPECT_EQ(FindSceneFiles({empty}).foldersWithoutScenes, std::vector<std::string>{empty});
    EXPECT_FALSE(IsBatch({folder / "scene.kvd"}));
    EXPECT_TRUE(IsBatch({empty}));
    EXPECT_TRUE(IsBatch({folder / "scene.kvd", folder / "scene.kvd"}));
}

}  // namespace
