// File materials into host material records.
#pragma once

#include <array>
#include <string_view>
#include <vector>

#include "host/TagMaterial.h"
#include "reader/MaterialRecords.h"

// Appends one host record per top-level material, in list order, so a mesh's
// material index is a position in hostMaterials.
void ConvertMaterials(const MaterialList& materials, std::vector<tagMaterial>& hostMaterials);

// Fills the fields a mesh's own colour defines; other bytes are left as found.
void BuildDefaultMaterial(std::string_view name, const std::array<float, 3>& colour,
                          tagMaterial& material);
