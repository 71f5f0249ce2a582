// A material as the kvd tool shows and converts it: colours and values as
// the host record holds them, texture names from the file's own maps, so
// every image the file names reaches the output whatever its type.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "host/TagMaterial.h"
#include "reader/MaterialRecords.h"

struct SceneMaterial {
    std::string name;   // GBK
    std::array<float, 3> ambient{};
    std::array<float, 3> diffuse{};
    std::array<float, 3> specular{};
    int32_t scalar1 = 0;
    int32_t shadeCode = 0;
    int32_t reserved2 = 0;
    std::string texture;       // GBK image file of the last kind-537 map, or empty
    std::string bumpTexture;   // GBK image file of the last kind-550 map, or empty
    // The image files the host record names (the last maps whose names end
    // in TIF, JPG or BMP): the same as above unless a later map of the kind
    // names an image the host does not show.
    std::string hostTexture;
    std::string hostBumpTexture;
};

// A material of the file, with the host record made from it.
SceneMaterial FileSceneMaterial(const MaterialRecord& file, const tagMaterial& host);

// A mesh's own colour, with the host record made from its name and colour.
SceneMaterial OwnColourMaterial(std::string_view meshName, const tagMaterial& host);
