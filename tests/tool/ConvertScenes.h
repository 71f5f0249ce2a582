// Scenes for the conversion tests, and what a faithful conversion of each
// must hold, worked out from the description alone (not through the reader).
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/samples/SampleScenes.h"
#include "tools/structural/KvdWriter.h"

struct ConvertScene {
    std::string name;
    kvdwriter::SceneDescription scene;
    // False for a scene with no node at all: valid glTF, but general readers
    // refuse a file without a scene.
    bool hasNodes = true;
};

// The samples plus scenes at the edges: GBK names (one with a 0x5C trail
// byte), a mesh too large for 16-bit indices, non-finite and out-of-range
// corners, an empty mesh, a camera whose eye is its target, camera records
// that are not cameras, a scene with nothing in it, and maps named as an
// export from the modelling machine leaves them.
std::vector<ConvertScene> ConvertScenes();

// The texture images the conversion scenes name beyond the samples' own
// (UTF-8 paths relative to the converted files).
std::vector<std::string> ConvertSceneTextures();

// The images of the exported-maps scene, in the formats their names give
// (.bmp, .tga, .png, .tif, .jpg), in folders and letter cases other than
// the names', as found on a disk. One image it names is in none of them.
std::vector<SampleImage> ConvertSceneImages();
// Writes every conversion scene as NAME.kvd into folder, with the images
// they name (copies of samples/wood.jpg, and ConvertSceneImages). Empty when
// all were written, else what failed.
std::string WriteConvertSceneFiles(const std::filesystem::path& folder, const std::filesystem::path& samples);

// The name of the exported-maps scene's image that is nowhere.
inline constexpr const char* kMissingImageName = "D:\\3DMAX\\MAPS\\FLOOR01.JPG";

using Corner = std::array<float, 3>;

struct ExpectedObject {
    std::vector<Corner> corners;   // three per triangle, source axes
};

// Mesh nodes depth first; faces naming a vertex that does not exist are
// not triangles, and (for the output) triangles with a corner that is not a
// finite number are left out.
std::vector<ExpectedObject> ExpectedObjects(const kvdwriter::SceneDescription& scene);
