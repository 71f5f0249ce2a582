// A handle's scene written by the kvd writer: its materials, its cameras
// (not the host's fixed one, which a file without cameras gets anyway), and
// its node tree with each mesh's arrays fed as they are.
#pragma once

#include "library/LoadedScene.h"
#include "writer/ByteOutput.h"
#include "writer/KvdFileWriter.h"

kvdfile::WriteResult SaveScene(const kvd_scene& scene, kvdfile::ByteOutput& out);
