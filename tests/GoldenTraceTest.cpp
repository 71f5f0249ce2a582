// The sample scene, every kind of record once, against the host calls it
// was checked by hand to give. KVD_UPDATE_GOLDEN=1 rewrites the file after a
// deliberate change; read the difference before committing it.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

#include "tests/support/ScenePieces.h"
#include "tests/support/TracedImport.h"

namespace {

const std::filesystem::path kGoldenFile =
    std::filesystem::path(__FILE__).parent_path() / "golden" / "sample_scene.jsonl";

TEST(GoldenTrace, SampleSceneGivesTheRecordedCalls)
{
    std::vector<std::string> lines = ImportTrace(kvdwriter::SceneBytes(pieces::SampleScene()));

    if (std::getenv("KVD_UPDATE_GOLDEN") != nullptr) {
        std::ofstream out(kGoldenFile, std::ios::binary);
        for (const std::string& line : lines)
            out << line << '\n';
        GTEST_SKIP() << "rewrote " << kGoldenFile;
    }

    std::ifstream in(kGoldenFile, std::ios::binary);
    ASSERT_TRUE(in) << kGoldenFile;
    std::vector<std::string> golden;
    for (std::string line; std::getline(in, line);)
        golden.push_back(line);
    ASSERT_EQ(lines.size(), golden.size());
    for (size_t i = 0; i < lines.size(); ++i)
        EXPECT_EQ(lines[i], golden[i]) << "line " << i + 1;
}

}  // namespace
