#include "tools/kvd/SceneFileSearch.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>

namespace fs = std::filesystem;

namespace {
bool HasSceneExtension(const fs::path& path)
{
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return extension == ".kvd";
}

bool IsFolder(const std::string& path)
{
    std::error_code error;
    return fs::is_directory(path, error);
}

class StemTable {
public:
    std::string Unique(const std::string& stem)
    {
        std::string candidate = stem;
        for (int n = 2; !used_.insert(candidate).second; ++n)
            candidate = stem + "-" + std::to_string(n);
        return candidate;
    }

private:
    std::set<std::string> used_;
};

// The folder's scene files, sorted; false with the reason when the walk
// could not go on.
bool WalkFolder(const fs::path& folder, const SceneFileKinds& kinds, std::vector<fs::path>& found, std::string& why)
{
    std::error_code error;
    fs::recursive_directory_iterator walk(folder, fs::directory_options::skip_permission_denied, error);
    for (; !error && walk != fs::recursive_directory_iterator(); walk.increment(error)) {
        std::error_code typeError;
        if (walk->is_regular_file(typeError) && kinds.accepts(walk->path()))
            found.push_back(walk->path());
    }
    std::sort(found.begin(), found.end());
    if (error) {
        why = error.message();
        return false;
    }
    return true;
}
}  // namespace

SceneFileKinds KvdSceneFiles()
{
    return {HasSceneExtension, ".kvd files"};
}

SceneFileSearch FindSceneFiles(const std::vector<std::string>& inputs, const SceneFileKinds& kinds)
{
    SceneFileSearch search;
    StemTable stems;
    for (const std::string& input : inputs) {
        if (!IsFolder(input)) {
            search.files.push_back({input, stems.Unique(fs::path(input).stem().string())});
            continue;
        }
        std::vector<fs::path> found;
        std::string why;
        if (!WalkFolder(input, kinds, found, why))
            search.unreadableFolders.push_back(input + ": " + why);
        else if (found.empty())
            search.foldersWithoutScenes.push_back(input);
        for (const fs::path& path : found) {
            const fs::path below = path.lexically_relative(input);
            search.files.push_back({path.string(), stems.Unique((below.parent_path() / below.stem()).string())});
        }
    }
    return search;
}

bool IsBatch(const std::vector<std::string>& inputs)
{
    return inputs.size() > 1 || (inputs.size() == 1 && IsFolder(inputs[0]));
}
