#include "tools/kvd/BatchOptions.h"

#include <filesystem>
#include <system_error>

#include <unistd.h>

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
