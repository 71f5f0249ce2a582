// The output formats, named by the output's extension.
#pragma once

#include <optional>
#include <string>

#include "tools/export/ExportOptions.h"
#include "tools/export/SceneWriter.h"

// From the extension, ignoring letter case; nullopt for any other.
std::optional<OutputFormat> FormatFromPath(const std::string& path);

// The material library written beside an OBJ: the same name with .mtl.
std::string MaterialLibraryPath(const std::string& objPath);
