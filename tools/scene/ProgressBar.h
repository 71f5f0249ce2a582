// A one-line progress bar on a terminal, redrawn in place.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "tools/scene/ImportProgress.h"

// "[#####.....]  50%  1.5 / 3.0 MiB" for width characters of bar.
std::string FormatProgressLine(uint64_t bytesRead, uint64_t totalBytes, int width);

class TerminalProgressBar final : public ProgressSink {
public:
    explicit TerminalProgressBar(std::FILE* terminal) : terminal_(terminal) {}

    void Update(uint64_t bytesRead, uint64_t totalBytes) override;
    void Finish() override;

private:
    std::FILE* terminal_;
    int lastPercent_ = -1;
    bool drawn_ = false;
};
