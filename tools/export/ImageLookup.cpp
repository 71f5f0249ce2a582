#include "tools/export/ImageLookup.h"

#include <algorithm>
#include <iterator>
#include <utility>
#include <string>
#include <system_error>

#include "base/GbkText.h"

namespace {

namespace fs = std::filesystem;

char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

bool SameIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

bool IsAbsoluteName(std::string_view name)
{
    if (!name.empty() && (name[0] == '/' || name[0] == '\\'))
        return true;
    return name.size() >= 2 && name[1] == ':' &&
           ((name[0] >= 'a' && name[0] <= 'z') || (name[0] >= 'A' && name[0] <= 'Z'));
}

// The entry of folder named like name, exact spelling first; empty when none.
fs::path EntryIgnoringCase(const fs::path& folder, const std::string& name)
{
    std::error_code error;
    const fs::path exact = folder / name;
    if (fs::exists(exact, error))
        return exact;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (SameIgnoringCase(it->path().filename().string(), name))
            return it->path();
    }
    return {};
}

// Follows the parts below folder one at a time; the last must be a file.
// A name never leads above folder: a scene file cannot make the conversion
// pick up images from elsewhere on the disk.
fs::path FileIgnoringCase(fs::path folder, const std::vector<std::string>& parts)
{
    int depth = 0;
    for (size_t i = 0; i < parts.size(); ++i) {
        const std::string& part = parts[i];
        if (part == ".")
            continue;
        if (part == "..") {
            if (depth == 0)
                return {};
            folder = folder.parent_path();
            --depth;
            continue;
        }
        ++depth;
        folder = EntryIgnoringCase(folder, part);
        if (folder.empty())
            return {};
    }
    std::error_code error;
    return fs::is_regular_file(folder, error) ? folder : fs::path();
}

std::vector<std::string> SplitPath(const std::string& utf8)
{
    std::vector<std::string> parts;
    std::string part;
    for (char c : utf8) {
        if (c == '\\' || c == '/') {
            if (!part.empty())
                parts.push_back(std::move(part));
            part.clear();
        } else {
            part.push_back(c);
        }
    }
    if (!part.empty())
        parts.push_back(std::move(part));
    return parts;
}

void AddTried(std::vector<fs::path>& tried, const fs::path& folder)
{
    if (std::find(tried.begin(), tried.end(), folder) == tried.end())
        tried.push_back(folder);
}

}  // namespace

ImageLookup FindImage(std::string_view storedName, const fs::path& sceneFolder,
                      const std::vector<fs::path>& extraFolders)
{
    ImageLookup lookup;
    // Converted first: a GBK trail byte can be 0x5C, the backslash.
    const std::string utf8 = GbkToUtf8(storedName);
    std::vector<std::string> parts = SplitPath(utf8);
    if (parts.empty())
        return lookup;
    // A drive letter glued to the file name ("D:wall.jpg") is no part of it.
    std::string& fileName = parts.back();
    if (fileName.size() >= 2 && IsAbsoluteName(fileName))
        fileName.erase(0, 2);
    if (fileName.empty() || fileName == "." || fileName == "..")
        return lookup;
    const fs::path base = sceneFolder.empty() ? fs::path(".") : sceneFolder;

    if (!IsAbsoluteName(utf8) && parts.size() > 1) {
        fs::path storedFolder = base;
        for (size_t i = 0; i + 1 < parts.size(); ++i)
            storedFolder /= parts[i];
        AddTried(lookup.tried, storedFolder.lexically_normal());
        lookup.found = FileIgnoringCase(base, parts);
        if (lookup.ok())
            return lookup;
        // The stored folders did not lead to it; the file name alone may.
    }
    // The scene's own subfolders are matched without regard to case too.
    const std::pair<fs::path, std::vector<std::string>> places[] = {
        {base, {}}, {base, {"maps"}}, {base, {"textures"}}};
    std::vector<std::pair<fs::path, std::vector<std::string>>> folders(std::begin(places), std::end(places));
    for (const fs::path& extra : extraFolders)
        folders.push_back({extra, {}});
    for (auto& [root, below] : folders) {
        AddTried(lookup.tried, (below.empty() ? root : root / below.front()).lexically_normal());
        below.push_back(fileName);
        lookup.found = FileIgnoringCase(root, below);
        if (lookup.ok())
            return lookup;
    }
    return lookup;
}
