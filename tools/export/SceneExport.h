// Writes a collected scene to a file whose extension names the format.
#pragma once

#include <optional>
#include <string>

#include "tools/export/ExportOptions.h"
#include "tools/scene/SceneModel.h"

enum class OutputFormat { Glb, Gltf, Obj };

// From the extension, ignoring letter case; nullopt for any other.
std::optional<OutputFormat> FormatFromPath(const std::string& path);

// The material library written beside an OBJ: the same name with .mtl.
std::string MaterialLibraryPath(const std::string& objPath);

struct ExportResult {
    bool written = false;
    std::string error;   // why not, when not written
    ExportStats stats;
};

// Either every output file is complete under its name, or none was touched.
ExportResult ExportScene(const SceneModel& scene, const std::string& path, OutputFormat format,
                         const ExportOptions& options);
