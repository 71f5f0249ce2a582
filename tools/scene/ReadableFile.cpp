#include "tools/scene/ReadableFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

ReadableFile CheckReadable(const std::string& path)
{
    ReadableFile file;
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        file.whyNot = "is a directory";
        return file;
    }
    std::FILE* probe = std::fopen(path.c_str(), "rb");
    if (probe == nullptr) {
        file.whyNot = std::strerror(errno);
        return file;
    }
    std::fclose(probe);
    const uintmax_t size = std::filesystem::file_size(path, error);
    file.readable = true;
    file.size = error ? 0 : static_cast<uint64_t>(size);
    return file;
}
