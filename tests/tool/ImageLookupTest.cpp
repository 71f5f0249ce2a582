// Finding a map's image as the exporting machine named it: folders and
// names in any letter case, full paths of another machine, the scene's
// maps/ and textures/ folders and the extra folders, in that order.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TempFolder.h"
#include "tools/export/ImageLookup.h"

namespace {

namespace fs = std::filesystem;

struct LookupCase {
    const char* name;
    const char* stored;   // GBK, as the material holds it
    const char* found;    // relative to the scene folder, or "" for not found
};

void PrintTo(const LookupCase& c, std::ostream* out)
{
    *out << c.name;
}

class ImageLookupTest : public testing::TestWithParam<LookupCase> {
protected:
    void SetUp() override
    {
        // An image above the scene folder, which no stored name may reach.
        std::ofstream(folder_.path() / "outside.jpg") << "x";
        scene_ = folder_.path() / "scene";
        for (const char* file : {"wood.jpg", "Case.jpg", "case.jpg", "Maps/Bricks.JPG", "textures/roof tiles.jpg",
                                 "sub/deep/a.png", "extra1/only-extra.bmp", "extra2/only-extra.bmp",
                                 "extra2/second.bmp", "\xe6\x9c\xa8\xe7\xba\xb9.jpg", "Folder/notes.txt"}) {
            fs::create_directories((scene_ / file).parent_path());
            std::ofstream(scene_ / file) << "x";
        }
    }

    std::vector<fs::path> Extras() const { return {scene_ / "extra1", scene_ / "extra2"}; }

    TempFolder folder_;
    fs::path scene_;
};

TEST_P(ImageLookupTest, FindsTheFileAWindowsMachineWouldOpen)
{
    const LookupCase& c = GetParam();
    const ImageLookup lookup = FindImage(c.stored, scene_, Extras());
    if (*c.found == '\0') {
        EXPECT_FALSE(lookup.ok()) << lookup.found;
        return;
    }
    ASSERT_TRUE(lookup.ok());
    EXPECT_EQ(fs::relative(lookup.found, scene_), fs::path(c.found));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ImageLookupTest,
    testing::Values(LookupCase{"beside_the_scene", "wood.jpg", "wood.jpg"},
                    LookupCase{"other_letter_case", "WOOD.JPG", "wood.jpg"},
                    LookupCase{"exact_case_preferred_upper", "Case.jpg", "Case.jpg"},
                    LookupCase{"exact_case_preferred_lower", "case.jpg", "case.jpg"},
                    LookupCase{"stored_folders_in_any_case", "maps\\bricks.jpg", "Maps/Bricks.JPG"},
                    LookupCase{"forward_slashes", "sub/deep/A.PNG", "sub/deep/a.png"},
                    LookupCase{"stored_folders_deeper", "SUB\\Deep\\a.png", "sub/deep/a.png"},
                    LookupCase{"other_machine_path_in_maps", "D:\\3DMAX\\MAPS\\BRICKS.JPG", "Maps/Bricks.JPG"},
                    LookupCase{"other_machine_path_in_textures", "C:\\x\\roof tiles.jpg", "textures/roof tiles.jpg"},
                    LookupCase{"stored_folder_missing_name_beside", "other\\wood.jpg", "wood.jpg"},
                    LookupCase{"network_path", "\\\\server\\share\\wood.jpg", "wood.jpg"},
                    LookupCase{"drive_relative", "D:wood.jpg", "wood.jpg"},
                    LookupCase{"first_extra_folder_wins", "only-extra.bmp", "extra1/only-extra.bmp"},
                    LookupCase{"second_extra_folder", "Second.BMP", "extra2/second.bmp"},
                    LookupCase{"gbk_name", "\xc4\xbe\xce\xc6.jpg", "\xe6\x9c\xa8\xe7\xba\xb9.jpg"},
                    LookupCase{"up_and_down_again", "sub\\..\\Maps\\bricks.jpg", "Maps/Bricks.JPG"},
                    LookupCase{"never_above_the_scene_folder", "..\\outside.jpg", ""},
                    LookupCase{"folder_is_not_an_image", "Folder", ""},
                    LookupCase{"nowhere", "nowhere.jpg", ""},
                    LookupCase{"empty", "", ""},
                    LookupCase{"only_separators", "\\\\", ""}),
    [](const testing::TestParamInfo<LookupCase>& info) { return std::string(info.param.name); });

TEST(ImageLookupTriedTest, NamesEveryFolderLookedInOnceInOrder)
{
    TempFolder folder;
    const fs::path extra = folder.path() / "more";
    const ImageLookup lookup = FindImage("maps\\nowhere.jpg", folder.path(), {extra});
    EXPECT_FALSE(lookup.ok());
    // The stored folder is also the scene's maps/ folder: named once.
    const std::vector<fs::path> once = {folder.path() / "maps", folder.path(), folder.path() / "textures", extra};
    ASSERT_EQ(lookup.tried.size(), once.size());
    for (size_t i = 0; i < once.size(); ++i)
        EXPECT_EQ(lookup.tried[i].lexically_normal(), once[i].lexically_normal()) << i;
}

}  // namespace
