// kvd info and kvd convert: the scene in words or JSON, and in formats every
// 3D tool opens.
#pragma once

#include <CLI/CLI.hpp>

#include "tools/kvd/Commands.h"

// kvd info FILES_OR_FOLDERS... [--json] [--textures DIR]...
void AddInfoCommand(CLI::App& app, int& exitCode);
// kvd convert FILE OUT [--keep-axes] [--quiet] [--textures DIR]... [--embed | --no-images] [--strict],
// or -o OUTDIR FILES_OR_FOLDERS...
void AddConvertCommand(CLI::App& app, int& exitCode);
// kvd render FILE OUT.png [--camera N] [--size WxH] [--quiet], or -o OUTDIR ...
void AddRenderCommand(CLI::App& app, int& exitCode);
