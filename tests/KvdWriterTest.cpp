// The streamed writer against the in-memory one: a streamed grid scene is
// byte for byte the scene described with the same grid held in memory, and
// the reader takes it whole.
#include <cstdio>
#include <gtest/gtest.h>

#include "tests/support/TraceLines.h"
#include "tests/support/TracedImport.h"
#include "tools/structural/KvdWriter.h"

using namespace kvdwriter;

namespace {

std::vector<uint8_t> Streamed(const StreamedMeshScene& scene)
{
    std::FILE* file = std::tmpfile();
    EXPECT_NE(file, nullptr);
    if (file == nullptr)
        return {};
    EXPECT_TRUE(WriteStreamedMeshScene(file, scene));
    std::vector<uint8_t> bytes(static_cast<size_t>(std::ftell(file)));
    std::rewind(file);
    EXPECT_EQ(std::fread(bytes.data(), 1, bytes.size(), file), bytes.size());
    std::fclose(file);
    return bytes;
}

TEST(KvdWriter, StreamedGridSceneIsTheDescribedSceneByteForByte)
{
    // More vertices and faces than one chunk of the stream.
    const uint64_t size = 2'000'000;
    StreamedMeshScene streamed = GridScene(size);
    ASSERT_GT(streamed.vertexCount, 40000);
    std::vector<uint8_t> bytes = Streamed(streamed);
    EXPECT_NEAR(static_cast<double>(bytes.size()), static_cast<double>(size), 0.01 * size);

    SceneDescription described{.header = streamed.header,
                               .materials = streamed.materials,
                               .cameras = streamed.cameras,
                               .nodes = {streamed.meshNode}};
    GeometryDescription& geometry = described.nodes[0].mesh->geometry;
    geometry.vertices.resize(static_cast<size_t>(streamed.vertexCount));
    streamed.vertices(0, geometry.vertices);
    geometry.faces.resize(static_cast<size_t>(streamed.faceCount));
    streamed.faces(0, geometry.faces);
    EXPECT_TRUE(bytes == SceneBytes(described));

    std::vector<std::string> lines = ImportTrace(bytes);
    EXPECT_EQ(CountOf(lines, "message"), 0);
    EXPECT_EQ(CountOf(lines, "GB_AddTriangle"), streamed.faceCount);
}

}  // namespace
