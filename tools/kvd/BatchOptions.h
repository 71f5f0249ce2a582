// The command-line options that make info, convert and render work on many
// files: the output folder (-o) and the number of threads (-j).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "tools/kvd/BatchRunner.h"

struct BatchOptions {
    std::string outputFolder;   // empty: not asked for
    int threads = 0;            // 0: one per core

    // The batch's settings; a progress line when the error stream is a
    // terminal and the user did not ask for quiet.
    BatchSettings Settings(const std::string& doneWord, bool quiet) const;
};

void AddBatchOptions(CLI::App& command, BatchOptions& options, bool withOutputFolder = true);

// Creates the output folder when needed; false, with the reason printed,
// when it cannot be made.
bool MakeOutputFolder(const std::string& folder);

// The output of file in folder, with extension, its subfolders made; empty,
// with the reason in output, when they cannot be.
std::string BatchOutputPath(const std::string& folder, const SceneFile& file, const std::string& extension,
                            JobOutput& output);

// One file to one output, as convert and render do it: the input, its
// output, whether it runs in a batch, and where its messages go; returns
// the file's exit code.
using FileToFile = std::function<int(const std::string& in, const std::string& out, bool inBatch, JobOutput& output)>;

// Runs job over FILE OUT, or with -o over the files and folders in paths,
// each output named after its input with outputExtension. A call that fits
// neither form gets "kvd: usage" on the error stream and kExitUsage.
int RunFileOrBatch(const std::vector<std::string>& paths, const BatchOptions& batch, bool quiet,
                   const std::string& usage, const std::string& outputExtension, const std::string& doneWord,
                   const FileToFile& job, const SceneFileKinds& kinds = KvdSceneFiles());
