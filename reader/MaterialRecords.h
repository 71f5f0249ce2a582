// In-memory materials of the material section, with their maps and
// sub-materials. 16-bit file values are widened with zeros; four-byte values
// are kept bit for bit. Records own their texts and lists; copies are deep.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct ImageBlock {
    uint32_t blockCode = 0;
    std::array<uint32_t, 9> blockValues{};
    uint32_t trailingCode = 0;
    uint32_t trailingValue = 0;   // stands before trailingCode in the file
};

struct MapRecord;
using MapList = std::vector<MapRecord>;

struct MapRecord {
    uint32_t mapKind = 0;
    std::string name;
    std::string className;
    uint32_t code = 0;
    uint32_t value = 0;
    std::string imageFile;
    uint32_t imageCode = 0;
    ImageBlock imageBlock;
    uint32_t nestedMapCount = 0;
    MapList nestedMaps;
};

struct MaterialRecord;
using MaterialList = std::vector<MaterialRecord>;

struct MaterialRecord {
    uint32_t code1 = 0;
    uint32_t code2 = 0;
    std::string name;
    std::string className;
    std::array<float, 3> colour1{};
    std::array<float, 3> colour2{};
    std::array<float, 3> colour3{};
    uint32_t standardCode1 = 0;
    float scalar1 = 0.0f;
    uint32_t scalar2 = 0;
    uint32_t scalar3 = 0;
    uint32_t scalar4 = 0;
    uint32_t standardValue2 = 0;
    // No file field fills it; the host record gets it at offset 212, so it is
    // defined as 0.
    int32_t reserved2 = 0;
    uint32_t standardValue1 = 0;
    uint32_t standardCode2 = 0;
    uint32_t standardCode3 = 0;
    uint32_t mapCount = 0;
    MapList maps;
    uint32_t subMaterialCount = 0;
    MaterialList subMaterials;
};
