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

bool IsTextureImage(std::string_view imageFile)
{
    if (imageFile.size() <= 3)
        return false;
    char ending[3];
    for (size_t i = 0; i < 3; ++i) {
        char c = imageFile[imageFile.size() - 3 + i];
        ending[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    std::string_view upper(ending, 3);
    return upper == "TIF" || upper == "JPG" || upper == "BMP";
}
