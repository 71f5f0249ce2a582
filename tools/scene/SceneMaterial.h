// A material as the kvd tool shows and converts it, from the file's own
// records: a file material's name, colours, first scalar and the images its
// maps name (so every image the file names reaches the output, whatever its
// type), or a mesh's own colour under the mesh's name.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "reader/MaterialRecords.h"

struct SceneMaterial {
    std::string name;   // GBK
    // A mesh's own colour: only diffuse holds a colour, and there are no
    // textures. A file material: its three colours and first scalar as the
    // file stores them.
    bool ownColour = false;
    std::array<float, 3> ambient{};
    std::array<float, 3> diffuse{};
    std::array<float, 3> specular{};
    float scalar1 = 0.0f;
    std::string texture;       // GBK image file of the colour map, or empty
    std::string bumpTexture;   // GBK image file of the bump map, or empty
};

SceneMaterial FileSceneMaterial(const MaterialRecord& file);

SceneMaterial OwnColourMaterial(std::string_view meshName, const std::array<float, 3>& colour);
