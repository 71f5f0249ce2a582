#include "tools/scene/UsedMaterials.h"

void UsedMaterials::Reset(const MaterialList& fileMaterials)
{
    fileMaterials_.clear();
    for (const MaterialRecord& material : fileMaterials)
        fileMaterials_.push_back(FileSceneMaterial(material));
    fileMaterialPositions_.assign(fileMaterials_.size(), -1);
    ownColourPositions_.clear();
    used_.clear();
}

UsedMaterials::Use UsedMaterials::Of(const MeshView& mesh)
{
    const auto next = static_cast<int>(used_.size());
    if (mesh.fileMaterial != MeshView::kOwnColour) {
        int& position = fileMaterialPositions_.at(static_cast<size_t>(mesh.fileMaterial));
        if (position >= 0)
            return {position, false};
        position = next;
        used_.push_back(fileMaterials_[static_cast<size_t>(mesh.fileMaterial)]);
        return {position, true};
    }
    // Meshes of one name and colour get the same material.
    std::string key(reinterpret_cast<const char*>(mesh.colour.data()), sizeof mesh.colour);
    key.append(mesh.name);
    auto [where, inserted] = ownColourPositions_.try_emplace(std::move(key), next);
    if (inserted)
        used_.push_back(OwnColourMaterial(mesh.name, mesh.colour));
    return {where->second, inserted};
}
