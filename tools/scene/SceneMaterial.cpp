#include "tools/scene/SceneMaterial.h"

#include <algorithm>
#include <cstring>

#include "reader/FormatTags.h"

namespace {
std::array<float, 3> Colour(const float (&colour)[3])
{
    return {colour[0], colour[1], colour[2]};
}

SceneMaterial FromHostRecord(std::string_view name, const tagMaterial& host)
{
    SceneMaterial material;
    material.name = name;
    material.ambient = Colour(host.colour1);
    material.diffuse = Colour(host.colour2);
    material.specular = Colour(host.colour3);
    material.scalar1 = host.scalar1;
    material.shadeCode = host.shadeCode;
    material.reserved2 = host.reserved2;
    material.hostTexture.assign(host.firstTexture, strnlen(host.firstTexture, sizeof host.firstTexture));
    material.hostBumpTexture.assign(host.secondTexture, strnlen(host.secondTexture, sizeof host.secondTexture));
    return material;
}
}  // namespace

SceneMaterial FileSceneMaterial(const MaterialRecord& file, const tagMaterial& host)
{
    SceneMaterial material = FromHostRecord(file.name, host);
    // As for the host, later maps of a kind replace earlier ones and nested
    // maps do not count; a map without an image file replaces nothing.
    for (const MapRecord& map : file.maps) {
        if (map.imageFile.empty())
            continue;
        if (map.mapKind == tags::kFirstTextureMap)
            material.texture = map.imageFile;
        else if (map.mapKind == tags::kSecondTextureMap)
            material.bumpTexture = map.imageFile;
    }
    return material;
}

SceneMaterial OwnColourMaterial(std::string_view meshName, const tagMaterial& host)
{
    return FromHostRecord(meshName, host);
}
