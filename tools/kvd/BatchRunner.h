// Runs one job per scene file on several threads. Each job's output is
// printed whole when it ends; one file's failure never stops the others.
// On a terminal one progress line tells how far the batch is; at the end a
// summary counts the files that went well, were damaged or failed, and
// names the failures.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "tools/kvd/JobOutput.h"
#include "tools/kvd/SceneFileSearch.h"

// A job returns its file's exit code: 0, kExitDamaged, or another failure.
using BatchJob = std::function<int(const SceneFile& file, JobOutput& output)>;

struct BatchSettings {
    int threads = 0;               // 0: one per core
    bool progress = false;         // the progress line, on the error stream
    std::string doneWord = "done";   // "converted", "rendered", ...
    SceneFileKinds kinds = KvdSceneFiles();   // what a folder's files are taken
    std::FILE* out = stdout;
    std::FILE* err = stderr;
};

struct BatchSummary {
    size_t succeeded = 0;
    size_t damaged = 0;
    size_t failed = 0;
    std::vector<std::string> failures;   // file paths, in the order they failed
    int exitCode = 0;                    // the worst of the files'
};

// Of two exit codes, the one that tells of the worse outcome: success, then
// damaged, then the failures.
int WorseExitCode(int a, int b);

BatchSummary RunBatch(const std::vector<SceneFile>& files, const BatchJob& job, const BatchSettings& settings);

// "12 converted, 1 damaged, 2 failed: a.kvd, b.kvd"
std::string FormatSummary(const BatchSummary& summary, const std::string& doneWord);

// Finds the inputs' scene files, runs the batch, prints the summary on the
// error stream and returns the batch's exit code.
int RunSceneBatch(const std::vector<std::string>& inputs, const BatchJob& job, const BatchSettings& settings);
