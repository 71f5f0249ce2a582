#include "convert/MaterialConversion.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "reader/FormatTags.h"
#include "base/TextFit.h"

namespace {

// Truncation toward zero; a value with no integer meaning (NaN) gives 0 and
// one beyond the signed 32-bit range saturates, where a plain conversion
// would be undefined.
int32_t TruncateToInt32(float value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 2147483648.0f)
        return std::numeric_limits<int32_t>::max();
    if (value < -2147483648.0f)
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

// The fields both kinds of host record share.
void SetCommonFields(std::string_view name, tagMaterial& material)
{
    CopyTextToField(name, material.name, sizeof material.name);
    material.value128 = 0;
    material.value216 = 1;
    material.value220 = 30;
    material.firstTexture[0] = '\0';
    material.secondTexture[0] = '\0';
    material.value480 = 1.0;
    material.value488 = 0.0;
    material.value496 = 500.0;
    material.value504 = 500.0;
    material.value512 = 0;
    material.value720 = 1.0f;
}

// An image file the host can use as a texture: its last three bytes, with
// letters upper-cased, are TIF, JPG or BMP. No dot is required.
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

// Later maps of the same kind replace earlier ones; nested maps do not count.
void ApplyTextureRule(const MapList& maps, tagMaterial& material)
{
    for (const MapRecord& map : maps) {
        if (!IsTextureImage(map.imageFile))
            continue;
        if (map.mapKind == tags::kFirstTextureMap)
            CopyTextToField(map.imageFile, material.firstTexture, sizeof material.firstTexture);
        else if (map.mapKind == tags::kSecondTextureMap)
            CopyTextToField(map.imageFile, material.secondTexture, sizeof material.secondTexture);
    }
}

}  // namespace

void ConvertMaterials(const MaterialList& materials, std::vector<tagMaterial>& hostMaterials)
{
    for (const MaterialRecord& source : materials) {
        // A fresh zeroed record each time: nothing carries over between materials.
        tagMaterial& material = hostMaterials.emplace_back();
        std::memset(&material, 0, sizeof material);
        SetCommonFields(source.name, material);
        std::memcpy(material.colour1, source.colour1.data(), sizeof material.colour1);
        std::memcpy(material.colour2, source.colour2.data(), sizeof material.colour2);
        std::memcpy(material.colour3, source.colour3.data(), sizeof material.colour3);
        material.scalar1 = TruncateToInt32(source.scalar1);
        material.shadeCode = 65;
        material.reserved2 = source.reserved2;
        ApplyTextureRule(source.maps, material);
    }
}

void BuildDefaultMaterial(std::string_view name, const std::array<float, 3>& colour,
                          tagMaterial& material)
{
    SetCommonFields(name, material);
    for (float& component : material.colour1)
        component = 0.8f;
    std::memcpy(material.colour2, colour.data(), sizeof material.colour2);
    for (float& component : material.colour3)
        component = 1.0f;
    material.scalar1 = 0;
    material.shadeCode = 30;
    material.reserved2 = 0;
}
