// Which image files a material names. The one place the converter and
// kvd info learn a material's maps: the names the file's own map records
// give, so every image the file names can reach the output.
#pragma once

#include <string>

#include "tools/scene/SceneMaterial.h"

struct MaterialMapNames {
    std::string texture;   // the colour image, GBK as stored; empty for none
    std::string bump;      // the bump (height) image, GBK as stored; empty for none
};

MaterialMapNames MapNamesOf(const SceneMaterial& material);
