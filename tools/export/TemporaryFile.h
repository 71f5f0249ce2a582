// A file written under a fresh name beside a final path (OUT.partial-XXXXXXXX)
// through a large buffer. It is removed when its owner lets go of it, or when
// the process is stopped by a signal, unless it was renamed into place. Every
// failure keeps its reason (the system's words, "No space left on device").
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class ProgressSink;

class TemporaryFile {
public:
    explicit TemporaryFile(std::string finalPath);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // False when no file could be made beside the final path.
    bool Create();

    // Appends; false once anything failed (later calls do nothing).
    bool Write(const void* data, size_t size);
    // Appends fill bytes up to the next multiple of alignment.
    bool PadTo(size_t alignment, char fill);
    // Appends every byte written to source, which is flushed first. copied
    // counts what has been copied across calls, for progress out of total.
    bool Append(TemporaryFile& source, ProgressSink* progress, uint64_t& copied, uint64_t total);

    bool Flush();
    // Empties the file, to be written again from its start.
    bool Clear();
    // Gives the file its final name, replacing any file there. On failure
    // the final name is untouched and the temporary file removed later.
    bool RenameIntoPlace();

    uint64_t size() const { return written_; }
    bool good() const { return error_.empty(); }
    const std::string& error() const { return error_; }
    const std::string& path() const { return path_; }
    const std::string& finalPath() const { return finalPath_; }

private:
    bool Fail(const std::string& doing);
    bool WriteOut(const void* data, size_t size);

    std::string finalPath_;
    std::string path_;
    int fd_ = -1;
    int signalSlot_ = -1;
    bool renamed_ = false;
    uint64_t written_ = 0;   // including what the buffer holds
    uint64_t onDisk_ = 0;
    std::vector<char> buffer_;
    std::string error_;
};
