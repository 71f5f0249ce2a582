#include "tools/scene/MaterialTable.h"

int MaterialTable::Intern(const tagMaterial& material)
{
    std::string key(reinterpret_cast<const char*>(&material), sizeof material);
    auto [where, inserted] = positions_.try_emplace(std::move(key), static_cast<int>(records_.size()));
    if (inserted)
        records_.push_back(material);
    return where->second;
}
