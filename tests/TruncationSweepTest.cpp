// Whole scenes cut at every byte: each cut is imported from a buffer of
// exactly its size, so AddressSanitizer sees any read past its end. Every cut
// must end the import cleanly and give the host a prefix of what the whole
// file gives it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

#include "host/SceneBuilder.h"
#include "reader/SceneReader.h"
#include "reader/ImportMessages.h"
#include "tests/support/CheckedImport.h"
#include "tests/support/ScenePieces.h"
#include "tests/support/WholeScenes.h"

namespace {

using kvdwriter::KvdWriter;
using kvdwriter::SceneBytes;
using kvdwriter::SceneDescription;

bool IsPrefix(const std::vector<HostCall>& prefix, const std::vector<HostCall>& whole)
{
    return prefix.size() <= whole.size() && std::equal(prefix.begin(), prefix.end(), whole.begin());
}

class TruncationSweepTest : public testing::TestWithParam<NamedScene> {};

TEST_P(TruncationSweepTest, EveryCutEndsCleanlyWithAPrefixOfTheWholeFilesCalls)
{
    const SceneDescription& scene = GetParam().scene;
    const std::vector<uint8_t> whole = SceneBytes(scene);
    const size_t headerSize = KvdWriter().Header(scene.header).size();

    CheckingHost wholeHost;
    CheckedImportResult wholeResult = RunCheckedImport(wholeHost, whole);
    ASSERT_TRUE(wholeHost.violations().empty()) << wholeHost.ViolationReport();
    ASSERT_EQ(wholeResult.imported, 1);
    ASSERT_FALSE(wholeResult.damaged);
    ASSERT_EQ(wholeHost.MessageCount(ImportMessage::FileDamaged), 0);
    const std::vector<HostCall> wholeCalls = wholeHost.OpeningCalls();

    for (size_t cut = 0; cut < whole.size(); ++cut) {
        // A fresh allocation of exactly the cut's size for every cut.
        auto bytes = std::make_unique<uint8_t[]>(cut);
        std::memcpy(bytes.get(), whole.data(), cut);
        CheckingHost host;
        CheckedImportResult result = RunCheckedImport(host, bytes.get(), cut);

        std::string failure = host.ViolationReport();
        if (host.startImports() != (cut >= headerSize ? 1 : 0))
            failure += "GB_StartImport called " + std::to_string(host.startImports()) + " times\n";
        if (host.endImports() != 1)
            failure += "GB_EndImport called " + std::to_string(host.endImports()) + " times\n";
        if (!result.damaged)
            failure += "the cut went unnoticed\n";
        if (host.MessageCount(ImportMessage::FileDamaged) != 1)
            failure += "the damaged-file message not shown exactly once\n";
        if (!IsPrefix(host.OpeningCalls(), wholeCalls))
            failure += "the host heard something the whole file does not say\n";
        if (!failure.empty()) {
            // One failing cut tells the story; the next ones would repeat it.
            ADD_FAILURE() << "cut at byte " << cut << " of " << whole.size() << ":\n" << failure;
            break;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(WholeScenes, TruncationSweepTest, testing::ValuesIn(WholeScenes()),
                         [](const testing::TestParamInfo<NamedScene>& info) { return info.param.name; });

// Reading a file and reading the same bytes from memory go through one
// reader: both give the host the same calls, for small files and for one
// larger than the file reader's block, whose records straddle blocks.
class FileAndMemoryTest : public testing::Test {
protected:
    void TearDown() override { std::filesystem::remove(path_); }

    std::vector<HostCall> ImportFromFile(const std::vector<uint8_t>& bytes)
    {
        std::FILE* out = std::fopen(path_.c_str(), "wb");
        EXPECT_NE(out, nullptr);
        if (out == nullptr)
            return {};
        std::fwrite(bytes.data(), 1, bytes.size(), out);
        std::fclose(out);

        CheckingHost host;
        EXPECT_EQ(RunCheckedFileImport(host, path_.string()).imported, 1);
        EXPECT_TRUE(host.violations().empty()) << host.ViolationReport();
        return host.calls();
    }

    static std::vector<HostCall> ImportFromMemory(const std::vector<uint8_t>& bytes)
    {
        CheckingHost host;
        RunCheckedImport(host, bytes);
        EXPECT_TRUE(host.violations().empty()) << host.ViolationReport();
        return host.calls();
    }

    std::filesystem::path path_ = std::filesystem::temp_directory_path() /
                                  ("kvd-file-and-memory-" + std::to_string(getpid()) + ".kvd");
};

TEST_F(FileAndMemoryTest, GiveTheHostTheSameCalls)
{
    std::vector<std::vector<uint8_t>> files;
    for (const NamedScene& scene : WholeScenes())
        files.push_back(SceneBytes(scene.scene));

    // About three blocks of vertices and faces before the rest of a scene.
    kvdwriter::GeometryDescription geometry;
    const int32_t count = static_cast<int32_t>(3 * InputBuffer::kBlockSize / 24);
    for (int32_t i = 0; i < count; ++i) {
        geometry.vertices.push_back({static_cast<float>(i), 0.5f, -static_cast<float>(i)});
        geometry.faces.push_back({i, (i + 1) % count, (i + 7) % count});
    }
    SceneDescription large = pieces::SampleScene();
    large.nodes.insert(large.nodes.begin(), pieces::ColourMesh("large", {0.1f, 0.2f, 0.3f}, geometry));
    files.push_back(SceneBytes(large));
    ASSERT_GT(files.back().size(), 2 * InputBuffer::kBlockSize);

    for (const std::vector<uint8_t>& bytes : files) {
        std::vector<HostCall> fromFile = ImportFromFile(bytes);
        EXPECT_FALSE(fromFile.empty());
        EXPECT_TRUE(fromFile == ImportFromMemory(bytes)) << "file of " << bytes.size() << " bytes";
    }
}

}  // namespace
