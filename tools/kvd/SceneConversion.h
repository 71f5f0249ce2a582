// kvd convert of one file to one output, without the command line: the
// kvd tool runs it per file, the browser viewer once per scene it shows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/export/SceneWriter.h"
#include "tools/kvd/JobOutput.h"

struct ConvertSettings {
    bool keepAxes = false;
    double scale = 1.0;   // every coordinate multiplied by it, in both directions
    bool quiet = false;   // no progress bar and no summary line
    std::vector<std::string> textureFolders;
    bool embed = false;
    bool noImages = false;
    bool strict = false;
    // Lowered by the tests to check the refusal without a 4 GiB scene.
    uint64_t maxGlbBytes = WriterLimits().maxGlbBytes;
    // Raised or lowered to measure the cost of merging equal points.
    size_t mergeVertexLimit = WriterLimits().mergeVertexLimit;
};

// Converts file to out, the format chosen by out's extension. What the tool
// says goes to output: the summary line on its standard output, warnings and
// failures on its error stream. inBatch: no progress bar. Returns the exit
// code (see ExitCodes.h).
int ConvertSceneFile(const std::string& file, const std::string& out, const ConvertSettings& settings, bool inBatch,
                     JobOutput& output);
