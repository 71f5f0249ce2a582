// Finds the image file a material's map names, the way the exporting
// machine's scenes are laid out: names stored as Windows paths (often of
// another machine, in any letter case), images kept beside the scene or in
// its maps/ or textures/ folder.
#pragma once

#include <filesystem>
#include <string_view>
#include <vector>

struct ImageLookup {
    std::filesystem::path found;                 // empty when not found
    std::vector<std::filesystem::path> tried;    // the folders looked in, in order
    bool ok() const { return !found.empty(); }
};

// Looks for storedName (GBK, backslashes or slashes as separators):
//   1. the name as stored, relative to sceneFolder (not for an absolute name);
//   2. its file name alone in sceneFolder, sceneFolder/maps, sceneFolder/textures
//      and each of extraFolders, in that order.
// Names match without regard to the letter case of ASCII letters, as on
// Windows; an exact match is preferred.
ImageLookup FindImage(std::string_view storedName, const std::filesystem::path& sceneFolder,
                      const std::vector<std::filesystem::path>& extraFolders);
