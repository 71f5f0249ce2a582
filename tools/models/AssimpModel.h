// Every model kind the general importer (assimp) reads, for the kvd writer:
// FBX, COLLADA, 3DS, PLY, STL, Blender, and the rest of its list. Its
// scenes are taken as Y-up, as it hands them over.
#pragma once

#include <filesystem>
#include <string>

#include "tools/models/ModelRead.h"

ModelReadResult ReadAssimpFile(const std::filesystem::path& path);

// Whether the general importer takes files with this extension (".fbx").
bool AssimpReadsExtension(const std::string& extension);
// Its extensions, for the help: "*.3ds;*.fbx;..." as it lists them.
std::string AssimpExtensionList();
