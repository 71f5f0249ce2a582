#include "tools/kvd/BatchOptions.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include <unistd.h>

#include "tools/kvd/Commands.h"
#include "tools/kvd/SceneCommands.h"

BatchSettings BatchOptions::Settings(const std::string& doneWord, bool quiet) const
{
    BatchSettings settings;
    settings.threads = threads;
    settings.progress = !quiet && isatty(STDERR_FILENO);
    settings.doneWord = doneWord;
    return settings;
}

void AddBatchOptions(CLI::App& command, BatchOptions& options, bool withOutputFolder)
{
    if (withOutputFolder) {
        command.add_option("-o,--output-folder", options.outputFolder,
                           "Work on many files: write each one's output into this folder, under its name\n"
                           "(files found in a folder keep their subfolders)");
    }
    command.add_option("-j,--jobs", options.threads, "With many files: how many at once (default: one per core)")
        ->check(CLI::Range(1, 1024));
}

bool MakeOutputFolder(const std::string& folder)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error || !std::filesystem::is_directory(folder, error)) {
        std::fprintf(stderr, "kvd: cannot make the output folder %s: %s\n", folder.c_str(),
                     error ? error.message().c_str() : "not a folder");
        return false;
    }
    return true;
}

std::string BatchOutputPath(const std::string& folder, const SceneFile& file, const std::string& extension,
                            JobOutput& output)
{
    const std::filesystem::path path = std::filesystem::path(folder) / (file.outputStem + extension);
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    if (error) {
        output.Err("kvd: cannot make the folder %s: %s\n", path.parent_path().c_str(), error.message().c_str());
        return {};
    }
    return path.string();
}

int RunFileOrBatch(const std::vector<std::string>& paths, const BatchOptions& batch, bool quiet,
                   const std::string& usage, const std::string& outputExtension, const std::string& doneWord,
                   const FileToFile& job, const SceneFileKinds& kinds)
{
    if (batch.outputFolder.empty()) {
        if (paths.size() != 2 || IsBatch({paths[0]})) {
            std::fprintf(stderr, "kvd: %s\n", usage.c_str());
            return kExitUsage;
        }
        JobOutput output;
        const int exitCode = job(paths[0], paths[1], false, output);
        return output.WriteTo(stdout, stderr) ? exitCode : WorseExitCode(exitCode, kExitFailure);
    }
    if (!MakeOutputFolder(batch.outputFolder))
        return kExitCannotWrite;
    const BatchJob each = [&](const SceneFile& file, JobOutput& output) {
        const std::string out = BatchOutputPath(batch.outputFolder, file, outputExtension, output);
        if (out.empty())
            return kExitCannotWrite;
        return job(file.path, out, true, output);
    };
    BatchSettings settings = batch.Settings(doneWord, quiet);
    settings.kinds = kinds;
    return RunSceneBatch(paths, each, settings);
}
