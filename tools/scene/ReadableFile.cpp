#include "tools/scene/ReadableFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <unistd.h>

ReadableFile CheckReadable(const std::string& path)
{
    ReadableFile file;
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        file.whyNot = "is a directory";
        return file;
    }
    if (std::filesystem::is_regular_file(path, error)) {
        std::FILE* probe = std::fopen(path.c_str(), "rb");
        if (probe == nullptr) {
            file.whyNot = std::strerror(errno);
            return file;
        }
        std::fclose(probe);
    } else if (access(path.c_str(), R_OK) != 0) {
        // A pipe is not opened to try it: closing the probe would leave its
        // writer with no reader, and its next write would fail (SIGPIPE).
        file.whyNot = std::strerror(errno);
        return file;
    }
    const uintmax_t size = std::filesystem::file_size(path, error);
    file.readable = true;
    file.size = error ? 0 : static_cast<uint64_t>(size);
    return file;
}
