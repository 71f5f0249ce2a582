// Wavefront OBJ with its .mtl, read for the kvd writer.
#pragma once

#include <filesystem>

#include "tools/models/ModelRead.h"

ModelReadResult ReadObjFile(const std::filesystem::path& path);
