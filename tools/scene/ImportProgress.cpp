#include "tools/scene/ImportProgress.h"

void ProgressReporter::BlockRead(uint64_t bytesRead)
{
    if (bytesRead - lastReported_ >= kReportStep) {
        lastReported_ = bytesRead;
        sink_.Update(bytesRead, totalBytes_);
    }
}
