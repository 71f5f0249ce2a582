// Whether a file can be read at all, asked before an import so that "cannot
// open" is told apart from a rejected header, and a folder is not taken for
// an empty file.
#pragma once

#include <cstdint>
#include <string>

struct ReadableFile {
    bool readable = false;
    std::string whyNot;   // UTF-8, when not readable
    uint64_t size = 0;    // when readable and its size is known
};

ReadableFile CheckReadable(const std::string& path);
