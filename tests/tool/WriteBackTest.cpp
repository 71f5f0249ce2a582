// A kvd scene converted to .glb and back to .kvd gives the host the same
// calls as the original, call for call: every point bit for bit, every
// material record byte for byte, every camera's name, eye and target. What
// glTF cannot carry (triangles with corners that are not numbers, a camera
// section without cameras) and the messages about the original's damage are
// the only differences.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ConvertScenes.h"
#include "TempFolder.h"
#include "ToolRun.h"
#include "tests/support/WholeScenes.h"

namespace {

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// A triangle with a corner that is not a finite number: glTF cannot hold it.
bool NonFiniteTriangle(const std::string& line)
{
    return line.find("\"GB_AddTriangle\"") != std::string::npos &&
           (line.find("NaN") != std::string::npos || line.find("Infinity") != std::string::npos);
}

// The texture lines of kvd info whose image was found and whose name ends
// in a kind the host shows (JPG, BMP, TIF), sorted: the scene written back
// lists its materials in the order the meshes first use them.
std::vector<std::string> HostImagesFound(const std::string& info)
{
    std::vector<std::string> found;
    for (const std::string& line : Lines(info)) {
        const size_t at = line.find("  (found: ");
        if (line.find("texture ") == std::string::npos || at == std::string::npos || at < 3)
            continue;
        std::string kind = line.substr(at - 3, 3);
        for (char& c : kind)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (kind == "JPG" || kind == "BMP" || kind == "TIF")
            found.push_back(line.substr(0, at));
    }
    std::sort(found.begin(), found.end());
    return found;
}

struct WriteBackCase {
    std::string scene;
    // The one call the written-back scene has on top of the original's, for
    // a scene whose camera section holds entries but no camera: the host then
    // gets no camera at all, which a glTF file cannot say, and the kvd file
    // written back gives it the host's fixed default camera.
    bool gainsDefaultCamera = false;
};

class WriteBack : public ::testing::TestWithParam<WriteBackCase> {
protected:
    static void SetUpTestSuite()
    {
        folder_ = new TempFolder();
        ASSERT_EQ(WriteConvertSceneFiles(folder_->path(), KVD_SAMPLES_DIR), "");
        for (const NamedScene& scene : WholeScenes()) {
            ASSERT_TRUE(kvdwriter::WriteBytesToFile(folder_->path() / ("whole_" + scene.name + ".kvd"),
                                                    kvdwriter::SceneBytes(scene.scene)));
        }
    }
    static void TearDownTestSuite()
    {
        delete folder_;
        folder_ = nullptr;
    }
    static TempFolder* folder_;
};

TempFolder* WriteBack::folder_ = nullptr;

TEST_P(WriteBack, GivesTheHostTheSameCalls)
{
    const WriteBackCase& c = GetParam();
    const std::filesystem::path& folder = folder_->path();
    const std::filesystem::path original = folder / (c.scene + ".kvd");
    const std::filesystem::path out = folder / ("back-" + c.scene);
    std::filesystem::create_directories(out);
    const std::string glb = (out / "a.glb").string();
    const std::string kvd = (out / "b.kvd").string();

    ToolRun run = RunKvd(out, "convert --quiet " + Quote(original.string()) + " " + Quote(glb));
    ASSERT_TRUE(run.exitCode == 0 || run.exitCode == 3) << run.err;
    run = RunKvd(out, "convert --quiet " + Quote(glb) + " " + Quote(kvd));
    ASSERT_EQ(run.exitCode, 0) << run.err;

    std::vector<std::string> expected = Lines(RunKvd(out, "trace " + Quote(original.string())).out);
    std::erase_if(expected, NonFiniteTriangle);
    // The plug-in's messages are about damage in the original (a camera
    // section's end tag that is not 768); a written file has none.
    std::erase_if(expected, [](const std::string& line) { return line.rfind("{\"message\"", 0) == 0; });
    if (c.gainsDefaultCamera) {
        ASSERT_GE(expected.size(), 1u);
        expected.insert(expected.begin() + 1,
                        R"({"call":"GB_SetDefaultCamera","name":"相机1","name_hex":"cfe0bbfa31",)"
                        R"("eye":[2734,-1836.8,3832.7],"target":[9706.5,368.3,3047.6],"fov":22})");
    }
    const std::vector<std::string> got = Lines(RunKvd(out, "trace " + Quote(kvd)).out);
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i)
        ASSERT_EQ(got[i], expected[i]) << "call " << i + 1;

    // Every image the host can show that the original's maps found is
    // beside the scene written back, under a name its map finds.
    EXPECT_EQ(HostImagesFound(RunKvd(out, "info " + Quote(kvd)).out),
              HostImagesFound(RunKvd(out, "info " + Quote(original.string())).out));
}

std::vector<WriteBackCase> Cases()
{
    std::vector<WriteBackCase> cases;
    for (const ConvertScene& scene : ConvertScenes())
        cases.push_back({scene.name, scene.name == "nothing"});
    for (const NamedScene& scene : WholeScenes())
        cases.push_back({"whole_" + scene.name});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(EveryTestScene, WriteBack, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<WriteBackCase>& info) {
                             std::string name = info.param.scene;
                             for (char& ch : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(ch)))
                                     ch = '_';
                             }
                             return name;
                         });

}  // namespace
