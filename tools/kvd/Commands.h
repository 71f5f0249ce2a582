// The kvd tool's subcommands. Each adds itself to the app; when it runs, it
// leaves the process's exit code in exitCode.
#pragma once

#include <CLI/CLI.hpp>

#include "tools/kvd/ExitCodes.h"

// kvd trace FILE: imports FILE into a host that records every call.
void AddTraceCommand(CLI::App& app, int& exitCode);
