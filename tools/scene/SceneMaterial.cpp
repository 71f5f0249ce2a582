#include "tools/scene/SceneMaterial.h"

#include "reader/MaterialTextures.h"

SceneMaterial FileSceneMaterial(const MaterialRecord& file)
{
    SceneMaterial material;
    material.name = file.name;
    material.ambient = file.colour1;
    material.diffuse = file.colour2;
    material.specular = file.colour3;
    material.scalar1 = file.scalar1;
    const MaterialTextures textures = TexturesOf(file);
    material.texture = textures.texture;
    material.bumpTexture = textures.bump;
    return material;
}

SceneMaterial OwnColourMaterial(std::string_view meshName, const std::array<float, 3>& colour)
{
    SceneMaterial material;
    material.name = meshName;
    material.ownColour = true;
    material.diffuse = colour;
    return material;
}
