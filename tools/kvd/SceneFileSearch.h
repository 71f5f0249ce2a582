// The scene files of a batch: files named on the command line, and every
// file of the kinds asked for (*.kvd by default) in the folders named there and their subfolders.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

struct SceneFile {
    std::string path;
    // Where the file's output goes under an output folder, without the
    // extension: its path below the folder it was found in, or its name when
    // it was named itself. Unique in the batch: a repeated one gets "-2",
    // "-3" and so on.
    std::string outputStem;
};

struct SceneFileSearch {
    // In command-line order; a folder's files sorted by path. A named path
    // that does not exist is kept, so that its job reports it.
    std::vector<SceneFile> files;
    // Folders that could not be read through, with the reason.
    std::vector<std::string> unreadableFolders;
    // Named folders that hold no scene file.
    std::vector<std::string> foldersWithoutScenes;
};

// Which files of a folder a batch takes, and what they are called in messages.
struct SceneFileKinds {
    std::function<bool(const std::filesystem::path&)> accepts;
    std::string name;   // ".kvd files", "model files"
};

// *.kvd, in any letter case.
SceneFileKinds KvdSceneFiles();

SceneFileSearch FindSceneFiles(const std::vector<std::string>& inputs, const SceneFileKinds& kinds = KvdSceneFiles());

// Whether the inputs make a batch: more than one, or a folder.
bool IsBatch(const std::vector<std::string>& inputs);
