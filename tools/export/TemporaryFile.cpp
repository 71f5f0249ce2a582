#include "tools/export/TemporaryFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

#include <fcntl.h>
#include <sys/types.h>
#include <unistd.h>

#include "tools/export/CleanupOnSignal.h"
#include "tools/scene/ImportProgress.h"

namespace {
constexpr int kNameAttempts = 16;
constexpr size_t kBufferBytes = size_t{1} << 20;
// Progress is told at most once per this many bytes copied.
constexpr uint64_t kCopyStep = uint64_t{64} << 20;

bool CopyWithReadAndWrite(int from, uint64_t offset, int to, uint64_t length, std::vector<char>& scratch)
{
    scratch.resize(kBufferBytes);
    while (length > 0) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(length, scratch.size()));
        const ssize_t got = pread(from, scratch.data(), want, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            if (got == 0)
                errno = EIO;   // the source is shorter than it was written
            return false;
        }
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = write(to, scratch.data() + done, static_cast<size_t>(got - done));
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0)
                return false;
            done += put;
        }
        offset += static_cast<uint64_t>(got);
        length -= static_cast<uint64_t>(got);
    }
    return true;
}

// The kernel copies without the data passing through this process where the
// file system allows it; otherwise (older kernels, other file systems) the
// copy goes through a buffer.
bool CopyRange(int from, uint64_t offset, int to, uint64_t length, std::vector<char>& scratch)
{
    while (length > 0) {
        loff_t in = static_cast<loff_t>(offset);
        const ssize_t copied = copy_file_range(from, &in, to, nullptr, static_cast<size_t>(length), 0);
        if (copied < 0 && errno == EINTR)
            continue;
        if (copied < 0 && (errno == ENOSYS || errno == EXDEV || errno == EINVAL || errno == EOPNOTSUPP ||
                           errno == EPERM))
            return CopyWithReadAndWrite(from, offset, to, length, scratch);
        if (copied < 0)
            return false;
        if (copied == 0) {
            errno = EIO;
            return false;
        }
        offset += static_cast<uint64_t>(copied);
        length -= static_cast<uint64_t>(copied);
    }
    return true;
}
}  // namespace

TemporaryFile::TemporaryFile(std::string finalPath) : finalPath_(std::move(finalPath)) {}

TemporaryFile::~TemporaryFile()
{
    if (fd_ >= 0)
        close(fd_);
    if (!renamed_ && !path_.empty())
        unlink(path_.c_str());
    ForgetTemporary(signalSlot_);
}

bool TemporaryFile::Create()
{
    // In the final file's folder, so the rename stays within one file system.
    std::random_device entropy;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".partial-%08x", static_cast<unsigned>(entropy()));
        const std::string candidate = finalPath_ + suffix;
        // O_EXCL: fails when the name exists, so no other file is overwritten.
        // Readable, so its contents can be copied into the next file.
        const int fd = open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return Fail("creating a file beside " + finalPath_);
        }
        fd_ = fd;
        path_ = candidate;
        signalSlot_ = RegisterTemporary(path_.c_str());
        buffer_.reserve(kBufferBytes);
        return true;
    }
    error_ = "no free temporary name beside " + finalPath_;
    return false;
}

bool TemporaryFile::Fail(const std::string& doing)
{
    if (error_.empty())
        error_ = doing + ": " + std::strerror(errno);
    return false;
}

bool TemporaryFile::WriteOut(const void* data, size_t size)
{
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t put = write(fd_, bytes, size);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            if (put == 0)
                errno = ENOSPC;
            return Fail("writing " + path_);
        }
        bytes += put;
        size -= static_cast<size_t>(put);
        onDisk_ += static_cast<uint64_t>(put);
    }
    return true;
}

bool TemporaryFile::Write(const void* data, size_t size)
{
    if (!good() || fd_ < 0)
        return false;
    written_ += size;
    if (buffer_.size() + size <= kBufferBytes) {
        const char* bytes = static_cast<const char*>(data);
        buffer_.insert(buffer_.end(), bytes, bytes + size);
        return true;
    }
    if (!Flush())
        return false;
    if (size >= kBufferBytes)
        return WriteOut(data, size);
    const char* bytes = static_cast<const char*>(data);
    buffer_.insert(buffer_.end(), bytes, bytes + size);
    return true;
}

bool TemporaryFile::PadTo(size_t alignment, char fill)
{
    const size_t gap = static_cast<size_t>((alignment - written_ % alignment) % alignment);
    for (size_t i = 0; i < gap; ++i) {
        if (!Write(&fill, 1))
            return false;
    }
    return good();
}

bool TemporaryFile::Flush()
{
    if (!good() || fd_ < 0)
        return false;
    const bool ok = WriteOut(buffer_.data(), buffer_.size());
    buffer_.clear();
    return ok;
}

bool TemporaryFile::Append(TemporaryFile& source, ProgressSink* progress, uint64_t& copied, uint64_t total)
{
    // What never left the source's buffer is copied from there.
    if (source.onDisk_ == 0) {
        copied += source.buffer_.size();
        const bool ok = Write(source.buffer_.data(), source.buffer_.size());
        if (progress != nullptr)
            progress->Update(copied, total);
        return ok;
    }
    if (!source.Flush()) {
        error_ = source.error_;
        return false;
    }
    if (!Flush())
        return false;
    std::vector<char> scratch;
    for (uint64_t offset = 0; offset < source.written_;) {
        const uint64_t step = std::min(kCopyStep, source.written_ - offset);
        if (!CopyRange(source.fd_, offset, fd_, step, scratch))
            return Fail("copying into " + path_);
        offset += step;
        copied += step;
        written_ += step;
        onDisk_ += step;
        if (progress != nullptr)
            progress->Update(copied, total);
    }
    return true;
}

bool TemporaryFile::Clear()
{
    if (!good() || fd_ < 0)
        return false;
    buffer_.clear();
    written_ = 0;
    if (onDisk_ == 0)
        return true;
    onDisk_ = 0;
    if (ftruncate(fd_, 0) != 0 || lseek(fd_, 0, SEEK_SET) != 0)
        return Fail("emptying " + path_);
    return true;
}

bool TemporaryFile::RenameIntoPlace()
{
    if (!Flush())
        return false;
    if (close(fd_) != 0) {
        fd_ = -1;
        return Fail("writing " + path_);
    }
    fd_ = -1;
    if (std::rename(path_.c_str(), finalPath_.c_str()) != 0)
        return Fail("renaming " + path_ + " to " + finalPath_);
    renamed_ = true;
    return true;
}
