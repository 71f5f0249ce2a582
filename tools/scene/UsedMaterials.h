// The materials a scene's meshes use, each once, in order of first use: a
// file material by its position in the file's list, a mesh's own colour by
// the mesh's name and colour.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "reader/SceneDestination.h"
#include "tools/scene/SceneMaterial.h"

class UsedMaterials {
public:
    // A new import's material list; nothing is used yet.
    void Reset(const MaterialList& fileMaterials);

    struct Use {
        int position;   // in the order of first use
        bool first;     // this mesh is the first to use it
    };
    Use Of(const MeshView& mesh);

    // Every material used so far, by position.
    const std::vector<SceneMaterial>& used() const { return used_; }

private:
    std::vector<SceneMaterial> fileMaterials_;
    std::vector<int> fileMaterialPositions_;   // -1: not used yet
    // Own-colour materials by colour bits and name.
    std::map<std::string, int> ownColourPositions_;
    std::vector<SceneMaterial> used_;
};
