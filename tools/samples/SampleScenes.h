// The sample scenes shipped in samples/: what each holds, as descriptions
// for the structural writer, and the texture images they name.
#pragma once

#include <string>
#include <vector>

#include "tools/structural/KvdWriter.h"

struct SampleScene {
    std::string fileName;
    kvdwriter::SceneDescription scene;
};

// house.kvd: four materials (two textured, one with a bump map, one from a
// full path of the exporting machine), two cameras (one looking straight
// down), a node tree of meshes sharing their corners, and a ground mesh with
// its own colour. triangle.kvd: the smallest useful scene, without
// materials or cameras.
std::vector<SampleScene> SampleScenes();

struct SampleImage {
    std::string path;   // relative to the samples folder
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;   // width * height * 3
};

// The images the samples' materials name, drawn procedurally.
std::vector<SampleImage> SampleImages();
