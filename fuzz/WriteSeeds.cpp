// Writes the fuzzer's seed corpus: the whole test scenes, and a few inputs
// that reach the reader's limits (nesting just past its bound), which random
// mutation rarely builds.
//
//   kvd_write_seeds DIR   writes DIR/<name>.kvd for each scene
#include <cstdio>
#include <filesystem>
#include <string>

#include "tests/support/WholeScenes.h"

using namespace kvdwriter;

namespace {

constexpr int kPastNestingBound = 300;

// Non-mesh nodes of one child each, nested past the bound.
std::vector<uint8_t> DeepNodes()
{
    KvdWriter writer;
    writer.Header({}).MaterialSection({}).U16(1).U16(0).U16(kCameraSectionEnd);
    for (int level = 0; level < kPastNestingBound; ++level)
        writer.U16(kNodeEntry).String("n").U16(1);
    return writer.bytes();
}

// A material record up to its map slot, without name or class.
KvdWriter& MaterialUpToMaps(KvdWriter& writer)
{
    writer.U16(0).U16(0).U16(0).U16(0);
    for (int i = 0; i < 13; ++i)
        writer.F32(0.5f);
    return writer;
}

// One material whose first map nests maps past the bound.
std::vector<uint8_t> DeepMaps()
{
    KvdWriter writer;
    writer.Header({}).U16(kMaterialSection).U16(kMaterialList).U16(1);
    MaterialUpToMaps(writer).U16(kMapList).U16(1);
    for (int level = 0; level < kPastNestingBound; ++level)
        writer.U16(kFirstTextureMap).U16(0).U16(0).U16(0).U32(0).U16(kMapList).U16(1);
    return writer.bytes();
}

// Sub-materials, each the only one of the material before, past the bound.
std::vector<uint8_t> DeepMaterials()
{
    KvdWriter writer;
    writer.Header({}).U16(kMaterialSection).U16(kMaterialList).U16(1);
    for (int level = 0; level < kPastNestingBound; ++level)
        MaterialUpToMaps(writer).U16(0).U16(kSubMaterialList).U16(1);
    return writer.bytes();
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: kvd_write_seeds DIR\n");
        return 2;
    }
    std::filesystem::path dir = argv[1];
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    bool ok = true;
    for (const NamedScene& scene : WholeScenes())
        ok = WriteBytesToFile((dir / (scene.name + ".kvd")).string(), SceneBytes(scene.scene)) && ok;
    ok = WriteBytesToFile((dir / "deep-nodes.kvd").string(), DeepNodes()) && ok;
    ok = WriteBytesToFile((dir / "deep-maps.kvd").string(), DeepMaps()) && ok;
    ok = WriteBytesToFile((dir / "deep-materials.kvd").string(), DeepMaterials()) && ok;
    if (!ok) {
        std::fprintf(stderr, "kvd_write_seeds: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
