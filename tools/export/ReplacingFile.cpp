#include "tools/export/ReplacingFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

#include "tools/export/CleanupOnSignal.h"

namespace {
constexpr int kNameAttempts = 16;
}

ReplacingFile::ReplacingFile(std::string path) : path_(std::move(path)) {}

ReplacingFile::~ReplacingFile()
{
    if (!committed_ && !temporaryPath_.empty()) {
        stream_.close();
        std::error_code ignored;
        std::filesystem::remove(temporaryPath_, ignored);
    }
    ForgetTemporary(signalSlot_);
}

bool ReplacingFile::Open()
{
    // In the same folder, so the rename stays within one file system.
    std::random_device entropy;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".partial-%08x", static_cast<unsigned>(entropy()));
        const std::string candidate = path_ + suffix;
        // "x": fails when the name exists, so no other file is overwritten.
        std::FILE* created = std::fopen(candidate.c_str(), "wbx");
        if (created == nullptr) {
            if (errno == EEXIST)
                continue;
            error_ = std::strerror(errno);
            return false;
        }
        std::fclose(created);
        temporaryPath_ = candidate;
        signalSlot_ = RegisterTemporary(temporaryPath_.c_str());
        stream_.open(temporaryPath_, std::ios::binary | std::ios::trunc);
        if (!stream_) {
            error_ = "cannot write " + temporaryPath_;
            return false;
        }
        return true;
    }
    error_ = "no free temporary name beside the output";
    return false;
}

bool ReplacingFile::Commit()
{
    stream_.flush();
    const bool written = stream_.good();
    stream_.close();
    if (!written || stream_.fail()) {
        error_ = "writing " + temporaryPath_ + " failed";
        return false;
    }
    std::error_code error;
    std::filesystem::rename(temporaryPath_, path_, error);
    if (error) {
        error_ = error.message();
        return false;
    }
    committed_ = true;
    return true;
}
