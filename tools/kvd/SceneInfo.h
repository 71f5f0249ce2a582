// What kvd info knows about a scene, as one JSON document: the header, the
// materials with where their images were found, the cameras, the objects and
// every message. kvd info prints it as text or as JSON; the browser viewer
// shows it beside the scene.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tools/kvd/JobOutput.h"

// Reads file and fills info with its document. Images are looked for as
// kvd convert looks for them: beside file, then in textureFolders. Why the
// import did not succeed goes to output's error stream. Returns the exit
// code (0, or kExitFailure, kExitDamaged); on kExitOutOfMemory info is left
// null, having been said on output. quiet: no progress bar.
int ReadSceneInfo(const std::string& file, const std::vector<std::string>& textureFolders, bool quiet,
                  nlohmann::json& info, JobOutput& output);
