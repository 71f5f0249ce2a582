// Progress of one import by bytes read, for large files.
//
// The reader tells its position once per block it reads from the file; the
// sink hears of it at most once per kReportStep bytes.
#pragma once

#include <cstdint>

#include "reader/ReadProgress.h"

class ProgressSink {
public:
    virtual void Update(uint64_t bytesRead, uint64_t totalBytes) = 0;
    // The import is over; the display, if any, goes away.
    virtual void Finish() = 0;

protected:
    ~ProgressSink() = default;
};

class ProgressReporter final : public ReadProgress {
public:
    static constexpr uint64_t kReportStep = 256 * 1024;

    ProgressReporter(uint64_t totalBytes, ProgressSink& sink) : totalBytes_(totalBytes), sink_(sink) {}

    void BlockRead(uint64_t bytesRead) override;

private:
    uint64_t totalBytes_;
    ProgressSink& sink_;
    uint64_t lastReported_ = 0;
};
