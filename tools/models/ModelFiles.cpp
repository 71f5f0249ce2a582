#include "tools/models/ModelFiles.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

bool ReadWholeFile(const std::filesystem::path& path, std::vector<uint8_t>& bytes, std::string& why)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file) {
        why = std::strerror(errno);
        return false;
    }
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    bytes.clear();
    if (!error)
        bytes.reserve(static_cast<size_t>(size));
    // Read to the end whatever the size said: a file may change meanwhile.
    uint8_t block[1 << 16];
    for (;;) {
        const size_t got = std::fread(block, 1, sizeof block, file.get());
        bytes.insert(bytes.end(), block, block + got);
        if (got < sizeof block)
            break;
    }
    if (std::ferror(file.get())) {
        why = std::strerror(errno);
        return false;
    }
    return true;
}
