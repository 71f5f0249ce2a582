#include "tools/models/ObjModel.h"

#include "tools/models/AssimpModel.h"

ModelReadResult ReadObjFile(const std::filesystem::path& path)
{
    return ReadAssimpFile(path);
}
