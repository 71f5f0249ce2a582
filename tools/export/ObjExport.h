// The collected scene as Wavefront OBJ with its MTL material library: one
// object per host object, one material per distinct host material (Ka, Kd,
// Ks from the three colours, map_Kd and map_bump from the two textures),
// names in UTF-8. OBJ has no cameras.
#pragma once

#include <ostream>
#include <string>

#include "tools/export/ExportOptions.h"
#include "tools/scene/SceneModel.h"

// mtlFileName: the name the OBJ's mtllib line gives, beside the OBJ.
void WriteObj(const SceneModel& scene, const ExportOptions& options, const std::string& mtlFileName,
              std::ostream& obj, std::ostream& mtl, ExportStats& stats);

// A name usable as one OBJ/MTL token: UTF-8, whitespace and control
// characters replaced by '_', never empty.
std::string ObjToken(const std::string& utf8, const std::string& fallback);
