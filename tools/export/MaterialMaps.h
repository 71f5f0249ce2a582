// Which image files a material names. The one place the converter and
// kvd info learn a material's maps, so the source of the names can change
// without touching the writers.
#pragma once

#include <string>

#include "host/TagMaterial.h"

struct MaterialMapNames {
    std::string texture;   // the colour image, GBK as stored; empty for none
    std::string bump;      // the bump (height) image, GBK as stored; empty for none
};

MaterialMapNames MapNamesOf(const tagMaterial& material);
