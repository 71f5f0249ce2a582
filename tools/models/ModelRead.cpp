#include "tools/models/ModelRead.h"

#include <algorithm>
#include <cctype>

#include "tools/models/AssimpModel.h"
#include "tools/models/GltfModel.h"
#include "tools/models/ObjModel.h"

std::optional<ModelKind> ModelKindOf(const std::filesystem::path& path)
{
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".gltf" || extension == ".glb")
        return ModelKind::Gltf;
    if (extension == ".obj")
        return ModelKind::Obj;
    // A kvd scene is the other direction's input, never a model.
    if (extension == ".kvd" || !AssimpReadsExtension(extension))
        return std::nullopt;
    return ModelKind::General;
}

ModelReadResult ReadModel(const std::filesystem::path& path, ModelKind kind)
{
    switch (kind) {
    case ModelKind::Gltf: return ReadGltfFile(path);
    case ModelKind::Obj: return ReadObjFile(path);
    default: return ReadAssimpFile(path);
    }
}
