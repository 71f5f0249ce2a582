#include "tools/export/MaterialMaps.h"

#include <cstring>

namespace {
std::string TextField(const char* field, size_t capacity)
{
    return std::string(field, strnlen(field, capacity));
}
}  // namespace

MaterialMapNames MapNamesOf(const tagMaterial& material)
{
    return {TextField(material.firstTexture, sizeof material.firstTexture),
            TextField(material.secondTexture, sizeof material.secondTexture)};
}
