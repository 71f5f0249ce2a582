// kvd info and kvd convert: the scene in words or JSON, and in formats every
// 3D tool opens.
#pragma once

#include <CLI/CLI.hpp>

#include "tools/kvd/Commands.h"

// The body of the file ended early; what was read is reported or converted.
inline constexpr int kExitDamaged = 3;
// The output could not be written, or would pass its format's size limit;
// nothing was left under its name.
inline constexpr int kExitCannotWrite = 4;
// convert --strict: a texture image was not found or could not be read.
inline constexpr int kExitMissingImages = 5;
// Memory ran out; no output was left behind.
inline constexpr int kExitOutOfMemory = 6;

// kvd info FILES_OR_FOLDERS... [--json] [--textures DIR]...
void AddInfoCommand(CLI::App& app, int& exitCode);
// kvd convert FILE OUT [--keep-axes] [--quiet] [--textures DIR]... [--embed | --no-images] [--strict],
// or -o OUTDIR FILES_OR_FOLDERS...
void AddConvertCommand(CLI::App& app, int& exitCode);
// kvd render FILE OUT.png [--camera N] [--size WxH] [--quiet], or -o OUTDIR ...
void AddRenderCommand(CLI::App& app, int& exitCode);
