#include "tools/zerna/StderrCapture.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <system_error>
#include <utility>

namespace {

void WriteAll(int fd, const char* bytes, size_t size)
{
    while (size > 0) {
        ssize_t written = write(fd, bytes, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return;   // the real standard error is gone; the trace still works
        }
        bytes += written;
        size -= static_cast<size_t>(written);
    }
}

}  // namespace

StderrCapture::StderrCapture(std::string caption, MessageHandler onMessage)
    : prefix_(std::move(caption) + ": "), onMessage_(std::move(onMessage))
{
}

StderrCapture::~StderrCapture()
{
    Stop();
}

bool StderrCapture::Start()
{
    if (readEnd_ >= 0)
        return true;
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0)
        return false;
    std::fflush(stderr);
    int saved = fcntl(2, F_DUPFD_CLOEXEC, 3);
    if (saved < 0 || dup2(ends[1], 2) < 0) {
        if (saved >= 0)
            close(saved);
        close(ends[0]);
        close(ends[1]);
        return false;
    }
    close(ends[1]);
    fcntl(ends[0], F_SETFL, fcntl(ends[0], F_GETFL) | O_NONBLOCK);
    readEnd_ = ends[0];
    savedStderr_ = saved;
    pending_.clear();
    try {
        forwarder_ = std::thread(&StderrCapture::ForwardLoop, this);
    } catch (const std::system_error&) {
        dup2(savedStderr_, 2);
        close(savedStderr_);
        close(readEnd_);
        readEnd_ = savedStderr_ = -1;
        return false;
    }
    return true;
}

std::unique_lock<std::mutex> StderrCapture::Drain()
{
    std::unique_lock<std::mutex> lock(mutex_);
    if (readEnd_ >= 0)
        ReadAvailable();
    return lock;
}

void StderrCapture::Stop()
{
    if (readEnd_ < 0)
        return;
    std::fflush(stderr);
    // Giving descriptor 2 back closes the pipe's only write end, so the
    // thread reads to the end of the pipe and leaves.
    dup2(savedStderr_, 2);
    forwarder_.join();
    std::lock_guard<std::mutex> lock(mutex_);
    ReadAvailable();
    if (!pending_.empty()) {
        std::string last = std::move(pending_);
        pending_.clear();
        HandleLine(last);
    }
    close(readEnd_);
    close(savedStderr_);
    readEnd_ = savedStderr_ = -1;
}

void StderrCapture::ForwardLoop()
{
    for (;;) {
        pollfd watched{readEnd_, POLLIN, 0};
        if (poll(&watched, 1, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        std::lock_guard<std::mutex> lock(mutex_);
        if (ReadAvailable())
            return;
    }
}

bool StderrCapture::ReadAvailable()
{
    char buffer[4096];
    for (;;) {
        ssize_t count = read(readEnd_, buffer, sizeof buffer);
        if (count > 0) {
            WriteAll(savedStderr_, buffer, static_cast<size_t>(count));
            HandleBytes(buffer, static_cast<size_t>(count));
        } else if (count == 0) {
            return true;
        } else if (errno == EINTR) {
            continue;
        } else {
            return errno != EAGAIN && errno != EWOULDBLOCK;
        }
    }
}

void StderrCapture::HandleBytes(const char* bytes, size_t size)
{
    std::string_view rest(bytes, size);
    for (size_t end = rest.find('\n'); end != std::string_view::npos; end = rest.find('\n')) {
        if (pending_.empty()) {
            HandleLine(rest.substr(0, end));
        } else {
            pending_.append(rest.data(), end);
            std::string line = std::move(pending_);
            pending_.clear();
            HandleLine(line);
        }
        rest.remove_prefix(end + 1);
    }
    pending_.append(rest);
}

void StderrCapture::HandleLine(std::string_view line)
{
    std::string_view text;
    if (FindMessage(line, prefix_, text))
        onMessage_(text);
}

bool StderrCapture::FindMessage(std::string_view line, std::string_view prefix, std::string_view& text)
{
    for (size_t at = line.find(prefix); at != std::string_view::npos; at = line.find(prefix, at + 1)) {
        if (at == 0 || (at >= 2 && line.substr(at - 2, 2) == ": ")) {
            text = line.substr(at + prefix.size());
            return true;
        }
    }
    return false;
}
