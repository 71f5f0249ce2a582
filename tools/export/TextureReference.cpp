#include "tools/export/TextureReference.h"

#include <algorithm>

#include "base/GbkText.h"

namespace {
bool IsAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsAbsolute(std::string_view path)
{
    if (!path.empty() && path[0] == '/')
        return true;
    return path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == ':';
}

bool IsUnreserved(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}
}  // namespace

std::string RelativeTexturePath(std::string_view gbkName)
{
    // Converted first: a GBK trail byte can be 0x5C, the backslash.
    std::string path = GbkToUtf8(gbkName);
    std::replace(path.begin(), path.end(), '\\', '/');
    if (IsAbsolute(path)) {
        size_t slash = path.find_last_of("/:");
        path.erase(0, slash + 1);
    }
    return path;
}

std::string PathToUri(std::string_view utf8Path)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string uri;
    uri.reserve(utf8Path.size());
    for (char c : utf8Path) {
        const auto byte = static_cast<unsigned char>(c);
        if (IsUnreserved(byte) || byte == '/') {
            uri.push_back(c);
        } else {
            uri.push_back('%');
            uri.push_back(kHex[byte >> 4]);
            uri.push_back(kHex[byte & 0x0F]);
        }
    }
    return uri;
}
