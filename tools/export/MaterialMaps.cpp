#include "tools/export/MaterialMaps.h"

MaterialMapNames MapNamesOf(const SceneMaterial& material)
{
    return {material.texture, material.bumpTexture};
}
