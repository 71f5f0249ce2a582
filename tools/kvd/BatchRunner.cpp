#include "tools/kvd/BatchRunner.h"

#include <algorithm>
#include <atomic>
#include <new>
#include <exception>
#include <mutex>
#include <thread>

#include "tools/kvd/SceneCommands.h"

namespace {
int Severity(int exitCode)
{
    switch (exitCode) {
    case 0:
        return 0;
    case kExitDamaged:
        return 1;
    case kExitMissingImages:
        return 2;
    case kExitCannotWrite:
        return 4;
    case kExitOutOfMemory:
        return 5;
    default:
        return 3;
    }
}

std::string FormatCounts(const BatchSummary& summary, const std::string& doneWord)
{
    return std::to_string(summary.succeeded) + " " + doneWord + ", " + std::to_string(summary.damaged) +
           " damaged, " + std::to_string(summary.failed) + " failed";
}

// What the batch has done so far, and the printing of it.
class BatchProgress {
public:
    BatchProgress(const BatchSettings& settings, size_t total) : settings_(settings), total_(total) {}

    // Prints one job's output whole, and counts its outcome.
    void Finished(const SceneFile& file, int exitCode, JobOutput& output)
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        ClearLine();
        if (!output.WriteTo(settings_.out, settings_.err))
            exitCode = WorseExitCode(exitCode, kExitFailure);
        if (exitCode == 0) {
            ++summary_.succeeded;
        } else if (exitCode == kExitDamaged) {
            ++summary_.damaged;
        } else {
            ++summary_.failed;
            summary_.failures.push_back(file.path);
        }
        summary_.exitCode = WorseExitCode(summary_.exitCode, exitCode);
        DrawLine();
    }

    BatchSummary Finish()
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        ClearLine();
        return summary_;
    }

private:
    void DrawLine()
    {
        if (!settings_.progress)
            return;
        const size_t done = summary_.succeeded + summary_.damaged + summary_.failed;
        std::fprintf(settings_.err, "\r[%zu/%zu] %s", done, total_, FormatCounts(summary_, settings_.doneWord).c_str());
        std::fflush(settings_.err);
        drawn_ = true;
    }

    void ClearLine()
    {
        if (drawn_)
            std::fputs("\r\033[K", settings_.err);
        drawn_ = false;
    }

    const BatchSettings& settings_;
    size_t total_;
    std::mutex mutex_;
    BatchSummary summary_;
    bool drawn_ = false;
};

int RunGuarded(const BatchJob& job, const SceneFile& file, JobOutput& output)
{
    try {
        return job(file, output);
    } catch (const std::bad_alloc&) {
        output.Err("kvd: %s: out of memory; nothing was written\n", file.path.c_str());
        return kExitOutOfMemory;
    } catch (const std::exception& error) {
        output.Err("kvd: %s: %s\n", file.path.c_str(), error.what());
    } catch (...) {
        output.Err("kvd: %s: failed\n", file.path.c_str());
    }
    return kExitFailure;
}
}  // namespace

int WorseExitCode(int a, int b)
{
    return Severity(b) > Severity(a) ? b : a;
}

BatchSummary RunBatch(const std::vector<SceneFile>& files, const BatchJob& job, const BatchSettings& settings)
{
    BatchProgress progress(settings, files.size());
    std::atomic<size_t> next{0};
    auto work = [&] {
        for (size_t i = next++; i < files.size(); i = next++) {
            JobOutput output;
            const int exitCode = RunGuarded(job, files[i], output);
            progress.Finished(files[i], exitCode, output);
        }
    };
    size_t threads = settings.threads > 0 ? size_t(settings.threads) : std::max(1u, std::thread::hardware_concurrency());
    threads = std::min(threads, files.size());
    std::vector<std::jthread> workers;
    for (size_t t = 1; t < threads; ++t)
        workers.emplace_back(work);
    work();
    workers.clear();
    return progress.Finish();
}

std::string FormatSummary(const BatchSummary& summary, const std::string& doneWord)
{
    std::string text = FormatCounts(summary, doneWord);
    for (size_t i = 0; i < summary.failures.size(); ++i)
        text += (i == 0 ? ": " : ", ") + summary.failures[i];
    return text;
}

int RunSceneBatch(const std::vector<std::string>& inputs, const BatchJob& job, const BatchSettings& settings)
{
    const SceneFileSearch search = FindSceneFiles(inputs, settings.kinds);
    BatchSummary summary = RunBatch(search.files, job, settings);
    for (const std::string& folder : search.unreadableFolders) {
        std::fprintf(settings.err, "kvd: cannot read the folder %s\n", folder.c_str());
        ++summary.failed;
        summary.failures.push_back(folder.substr(0, folder.find(": ")));
        summary.exitCode = WorseExitCode(summary.exitCode, kExitFailure);
    }
    for (const std::string& folder : search.foldersWithoutScenes)
        std::fprintf(settings.err, "kvd: %s: is a directory holding no %s\n", folder.c_str(),
                     settings.kinds.name.c_str());
    // Nothing to work on is a failure, not a success with nothing done.
    if (search.files.empty() && search.unreadableFolders.empty())
        return kExitFailure;
    std::fprintf(settings.err, "kvd: %s\n", FormatSummary(summary, settings.doneWord).c_str());
    return summary.exitCode;
}
