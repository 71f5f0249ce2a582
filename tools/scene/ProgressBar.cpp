#include "tools/scene/ProgressBar.h"

#include <algorithm>

namespace {
constexpr int kBarWidth = 30;
constexpr double kMiB = 1024.0 * 1024.0;

int Percent(uint64_t bytesRead, uint64_t totalBytes)
{
    if (totalBytes == 0)
        return 100;
    return static_cast<int>(std::min<uint64_t>(bytesRead, totalBytes) * 100 / totalBytes);
}
}  // namespace

std::string FormatProgressLine(uint64_t bytesRead, uint64_t totalBytes, int width)
{
    const int percent = Percent(bytesRead, totalBytes);
    const int filled = percent * width / 100;
    std::string line = "[";
    line.append(static_cast<size_t>(filled), '#');
    line.append(static_cast<size_t>(width - filled), '.');
    char numbers[64];
    std::snprintf(numbers, sizeof numbers, "] %3d%%  %.1f / %.1f MiB", percent,
                  static_cast<double>(bytesRead) / kMiB, static_cast<double>(totalBytes) / kMiB);
    return line + numbers;
}

void TerminalProgressBar::Update(uint64_t bytesRead, uint64_t totalBytes)
{
    const int percent = Percent(bytesRead, totalBytes);
    if (percent == lastPercent_)
        return;
    lastPercent_ = percent;
    std::fprintf(terminal_, "\r%s", FormatProgressLine(bytesRead, totalBytes, kBarWidth).c_str());
    std::fflush(terminal_);
    drawn_ = true;
}

void TerminalProgressBar::Finish()
{
    if (drawn_) {
        // Carriage return and erase to the end of the line.
        std::fputs("\r\x1b[K", terminal_);
        std::fflush(terminal_);
    }
    drawn_ = false;
    lastPercent_ = -1;
}
