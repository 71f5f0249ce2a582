// Whole scenes that between them hold every kind of record of the format:
// materials with maps, image blocks, nested maps and sub-materials, cameras
// with and without placement, nested nodes, lone values and meshes. The
// truncation sweep cuts them, the fuzzer starts from them and valgrind
// traces them.
#pragma once

#include <string>
#include <vector>

#include "tools/structural/KvdWriter.h"

struct NamedScene {
    std::string name;
    kvdwriter::SceneDescription scene;
};

std::vector<NamedScene> WholeScenes();
