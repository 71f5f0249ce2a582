#include "library/FileOutput.h"

#include <cerrno>
#include <cstring>
#include <random>
#include <system_error>

#include "library/Utf8Path.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {
constexpr int kNameAttempts = 16;

std::FILE* CreateNew(const std::filesystem::path& path)
{
#ifdef _WIN32
    // msvcrt has no "x": the name is checked first; a clash is as unlikely
    // as the random names make it.
    std::error_code error;
    if (std::filesystem::exists(path, error) || error) {
        errno = EEXIST;
        return nullptr;
    }
    return _wfopen(path.c_str(), L"wb");
#else
    // "x": fails when the name exists, so no other file is overwritten.
    return std::fopen(path.c_str(), "wbx");
#endif
}

bool ReplaceFile(const std::filesystem::path& from, const std::filesystem::path& to, std::string& why)
{
#ifdef _WIN32
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    why = std::system_category().message(static_cast<int>(GetLastError()));
    return false;
#else
    std::error_code error;
    std::filesystem::rename(from, to, error);
    if (!error)
        return true;
    why = error.message();
    return false;
#endif
}
}  // namespace

FileOutput::FileOutput(std::filesystem::path destination) : destination_(std::move(destination)) {}

FileOutput::~FileOutput()
{
    if (file_ != nullptr)
        std::fclose(file_);
    if (!committed_ && !temporary_.empty()) {
        std::error_code ignored;
        std::filesystem::remove(temporary_, ignored);
    }
}

bool FileOutput::Fail(const std::string& why)
{
    if (error_.empty())
        error_ = why;
    return false;
}

bool FileOutput::Open()
{
    // In the destination's folder, so the rename stays within one file system.
    std::random_device entropy;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".partial-%08x", static_cast<unsigned>(entropy()));
        std::filesystem::path candidate = destination_;
        candidate += suffix;
        errno = 0;
        file_ = CreateNew(candidate);
        if (file_ != nullptr) {
            temporary_ = candidate;
            return true;
        }
        if (errno != EEXIST)
            return Fail("cannot create a file beside " + Utf8FromPath(destination_) + ": " +
                        std::strerror(errno != 0 ? errno : EACCES));
    }
    return Fail("no free name for a file beside " + Utf8FromPath(destination_));
}

bool FileOutput::Write(const void* data, size_t size)
{
    if (!error_.empty() || file_ == nullptr)
        return false;
    if (size > 0 && std::fwrite(data, 1, size, file_) != size)
        return Fail("writing " + Utf8FromPath(temporary_) + " failed: " + std::strerror(errno));
    return true;
}

bool FileOutput::Commit()
{
    if (file_ == nullptr || !error_.empty())
        return false;
    const bool flushed = std::fflush(file_) == 0;
    const int flushError = errno;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!flushed || !closed)
        return Fail("writing " + Utf8FromPath(temporary_) + " failed: " + std::strerror(flushError));
    std::string why;
    if (!ReplaceFile(temporary_, destination_, why))
        return Fail("cannot put the file in place at " + Utf8FromPath(destination_) + ": " + why);
    committed_ = true;
    return true;
}
