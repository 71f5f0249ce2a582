// Runs the kvd program as a person would, through the shell, and keeps what
// it printed and how it ended; the file helpers the tool tests share.
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <sys/wait.h>

struct ToolRun {
    int exitCode = -1;   // -1 when kvd did not end by exiting (a signal)
    std::string out;
    std::string err;
};

inline std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// text as one shell word.
inline std::string Quote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// arguments: shell words after the program's name. Standard error goes
// through a file in errFolder. shellLimits: ulimit options the shell sets
// before it runs kvd; environment: NAME=VALUE words kvd runs with.
inline ToolRun RunKvd(const std::filesystem::path& errFolder, const std::string& arguments,
                      const std::string& shellLimits = "", const std::string& environment = "")
{
    const std::string errPath = (errFolder / "stderr.txt").string();
    const std::string limits = shellLimits.empty() ? "" : "ulimit " + shellLimits + " && exec ";
    const std::string env = environment.empty() ? "" : "env " + environment + " ";
    const std::string command = limits + env + std::string(KVD_TOOL) + " " + arguments + " 2>" + Quote(errPath);
    ToolRun run;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return run;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.out.append(buffer, got);
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = ReadFile(errPath);
    return run;
}
