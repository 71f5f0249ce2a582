// Writes a scene to a file whose extension names the format.
#pragma once

#include <optional>
#include <string>

#include "tools/export/ExportOptions.h"
#include "tools/export/SceneWriter.h"
#include "tools/scene/SceneModel.h"

// From the extension, ignoring letter case; nullopt for any other.
std::optional<OutputFormat> FormatFromPath(const std::string& path);

// The material library written beside an OBJ: the same name with .mtl.
std::string MaterialLibraryPath(const std::string& objPath);

struct ExportResult {
    bool written = false;
    WriteFailure failure = WriteFailure::None;
    std::string error;   // why not, when not written
    ExportStats stats;
};

// Hands a whole scene held in memory to a writer (materials, meshes, cameras).
void WriteScene(const SceneModel& scene, SceneWriter& writer);

// A whole scene held in memory, through the streaming writer. Either every
// output file is complete under its name, or none was touched.
ExportResult ExportScene(const SceneModel& scene, const std::string& path, OutputFormat format,
                         const ExportOptions& options, const WriterLimits& limits = {});
