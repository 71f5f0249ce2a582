// An output file written beside its final name and renamed into place only
// when complete, so a failed or interrupted conversion never leaves a
// half-written file under that name (nor spoils one that was there), also
// when the process is stopped by SIGINT or SIGTERM.
#pragma once

#include <fstream>
#include <string>

class ReplacingFile {
public:
    explicit ReplacingFile(std::string path);
    // Removes the temporary file unless Commit succeeded.
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // False when the temporary file could not be created; error() says why.
    bool Open();
    std::ostream& stream() { return stream_; }
    // Closes the temporary file and renames it to the final name. False,
    // with the final name untouched, when writing or renaming failed.
    bool Commit();
    const std::string& error() const { return error_; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::string temporaryPath_;
    std::ofstream stream_;
    bool committed_ = false;
    int signalSlot_ = -1;
    std::string error_;
};
