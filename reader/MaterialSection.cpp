// The material section: materials with their maps, image blocks, nested maps
// and sub-materials, into the in-memory MaterialList.
#include "reader/FormatTags.h"
#include "reader/SceneReader.h"

void SceneReader::ReadMaterialSection(MaterialList& materials)
{
    // A frame without its section or list tag holds no materials and goes
    // straight to its end word.
    if (ReadTag() == tags::kMaterialSection && ReadTag() == tags::kMaterialList) {
        uint32_t count = ReadTag();
        for (uint32_t i = 0; i < count && !damaged_; ++i)
            ReadMaterial(materials);
    }
    ReadTag();   // end word, never tested
}

void SceneReader::ReadMaterial(MaterialList& destination)
{
    NestingLevel level(*this);
    if (!level.allowed())
        return;

    MaterialRecord material;
    material.code1 = ReadTag();
    material.code2 = ReadTag();
    if (ReadTag() == tags::kMaterialName) {
        ReadString();
        material.name = Text();
    }
    if (ReadTag() == tags::kMaterialClass) {
        ReadString();
        material.className = Text();
    }
    for (float& component : material.colour1)
        component = ReadFloat();
    for (float& component : material.colour2)
        component = ReadFloat();
    for (float& component : material.colour3)
        component = ReadFloat();
    material.scalar1 = ReadFloat();
    material.scalar2 = ReadValue();
    material.scalar3 = ReadValue();
    material.scalar4 = ReadValue();

    if (material.className == "Standard") {
        material.standardValue1 = ReadValue();
        material.standardValue2 = ReadValue();
        material.standardCode1 = ReadTag();
        material.standardCode2 = ReadTag();
        material.standardCode3 = ReadTag();
    }
    if (ReadTag() == tags::kMapList) {
        material.mapCount = ReadTag();
        for (uint32_t i = 0; i < material.mapCount && !damaged_; ++i)
            ReadMap(material.maps);
    }
    if (ReadTag() == tags::kSubMaterialList) {
        material.subMaterialCount = ReadTag();
        for (uint32_t i = 0; i < material.subMaterialCount && !damaged_; ++i)
            ReadMaterial(material.subMaterials);
    }
    ReadTag();   // closing tag, any value

    // Only complete records join a list.
    if (!damaged_)
        destination.push_back(std::move(material));
}

void SceneReader::ReadMap(MapList& destination)
{
    NestingLevel level(*this);
    if (!level.allowed())
        return;

    MapRecord map;
    map.mapKind = ReadTag();
    if (ReadTag() == tags::kMapName) {
        ReadString();
        map.name = Text();
    }
    if (ReadTag() == tags::kMapClass) {
        ReadString();
        map.className = Text();
    }
    map.code = ReadTag();
    map.value = ReadValue();

    // Without an image file the image slot itself is the nested-map slot;
    // a block slot that is not 517 is the image code.
    uint16_t slot = ReadTag();
    if (slot == tags::kImageFile) {
        ReadString();
        map.imageFile = Text();
        uint16_t code = ReadTag();
        if (code == tags::kImageBlock) {
            ReadImageBlock(map.imageBlock);
            code = ReadTag();
        }
        map.imageCode = code;
        slot = ReadTag();
    }
    if (slot == tags::kMapList) {
        map.nestedMapCount = ReadTag();
        for (uint32_t i = 0; i < map.nestedMapCount && !damaged_; ++i)
            ReadMap(map.nestedMaps);
    }
    ReadTag();   // closing tag, any value

    if (!damaged_)
        destination.push_back(std::move(map));
}

void SceneReader::ReadImageBlock(ImageBlock& block)
{
    block.blockCode = ReadTag();
    for (uint32_t& value : block.blockValues)
        value = ReadValue();
    block.trailingValue = ReadValue();
    block.trailingCode = ReadTag();
}
