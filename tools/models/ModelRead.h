// Reading a model file of any kind the tool takes, for the kvd writer.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "tools/models/ModelScene.h"

struct ModelReadResult {
    std::optional<ModelScene> model;   // none: the file cannot be read as a model
    std::string error;                 // why not
};

enum class ModelKind {
    Gltf,      // .gltf, .glb: read by the tool itself
    Obj,       // .obj with its .mtl: read by the tool itself
    General,   // every other kind the general importer reads
};

// The kind a file's name says, or nothing when no reader takes it.
std::optional<ModelKind> ModelKindOf(const std::filesystem::path& path);

ModelReadResult ReadModel(const std::filesystem::path& path, ModelKind kind);
