// The writer's bytes into a file written whole or not at all: they go to a
// fresh file beside the destination, which takes the destination's name
// only once every byte is on disk. On any failure the fresh file is
// removed and whatever was at the destination stays as it was. No signal
// handler is installed: a library leaves the process's signals alone.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

#include "writer/ByteOutput.h"

class FileOutput final : public kvdfile::ByteOutput {
public:
    explicit FileOutput(std::filesystem::path destination);
    ~FileOutput();
    FileOutput(const FileOutput&) = delete;
    FileOutput& operator=(const FileOutput&) = delete;

    // False when no file could be made beside the destination.
    bool Open();
    bool Write(const void* data, size_t size) override;
    std::string error() const override { return error_; }
    // Closes the file and gives it the destination's name.
    bool Commit();

private:
    bool Fail(const std::string& why);

    std::filesystem::path destination_;
    std::filesystem::path temporary_;
    std::FILE* file_ = nullptr;
    bool committed_ = false;
    std::string error_;
};
