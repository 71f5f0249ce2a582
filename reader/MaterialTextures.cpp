#include "reader/MaterialTextures.h"

#include "reader/FormatTags.h"

MaterialTextures TexturesOf(const MaterialRecord& material)
{
    MaterialTextures textures;
    for (const MapRecord& map : material.maps) {
        if (map.imageFile.empty())
            continue;
        if (map.mapKind == tags::kFirstTextureMap)
            textures.texture = map.imageFile;
        else if (map.mapKind == tags::kSecondTextureMap)
            textures.bump = map.imageFile;
    }
    return textures;
}
