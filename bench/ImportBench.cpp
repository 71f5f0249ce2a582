// Microbenchmarks of the import's hot paths: the input buffer and the
// little-endian decoding, vertex decoding, and face emission into a host that
// only counts. Scenes are built in memory with the structural writer and
// imported through the same reader that reads files.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <vector>

#include "bench/CountingHost.h"
#include "convert/HostDestination.h"
#include "reader/InputBuffer.h"
#include "reader/LittleEndian.h"
#include "reader/MessageSink.h"
#include "reader/SceneReader.h"
#include "tools/writer/KvdWriter.h"

namespace {

class SilentMessages : public MessageSink {
public:
    void ShowMessage(ImportMessage) override {}
};

// A grid scene with the given vertex and face counts; faces beyond the grid's
// own repeat its cells, so any face count stays within the vertex range.
std::vector<uint8_t> GridSceneBytes(int32_t side, int64_t faceCount)
{
    kvdwriter::StreamedMeshScene scene = kvdwriter::GridScene(0);
    kvdwriter::GridSurface grid{side, side};
    scene.vertexCount = grid.vertexCount();
    scene.faceCount = static_cast<int32_t>(faceCount);
    scene.vertices = [grid](int64_t first, std::span<kvdwriter::Vertex> out) { grid.FillVertices(first, out); };
    scene.faces = [grid](int64_t first, std::span<kvdwriter::Face> out) {
        for (size_t i = 0; i < out.size(); ++i)
            grid.FillFaces((first + static_cast<int64_t>(i)) % grid.faceCount(), out.subspan(i, 1));
    };
    std::FILE* file = std::tmpfile();
    kvdwriter::WriteStreamedMeshScene(file, scene);
    std::vector<uint8_t> bytes(static_cast<size_t>(std::ftell(file)));
    std::rewind(file);
    size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
    bytes.resize(got);
    std::fclose(file);
    return bytes;
}

void ImportScene(benchmark::State& state, const std::vector<uint8_t>& bytes, uint64_t expectedTriangles)
{
    SilentMessages messages;
    CountingHost host;
    SceneHost* previous = SetSceneHost(&host);
    for (auto _ : state) {
        HostDestination destination;
        SceneReader reader(messages, destination);
        benchmark::DoNotOptimize(reader.ImportBytes(bytes.data(), bytes.size()));
    }
    SetSceneHost(previous);
    if (host.triangles != expectedTriangles * state.iterations())
        state.SkipWithError("the host did not receive every triangle");
    state.SetBytesProcessed(static_cast<int64_t>(bytes.size()) * state.iterations());
}

// 16-bit tags and 32-bit values through the input buffer, as the record
// readers take them.
template <size_t kWidth>
void BM_ReadValues(benchmark::State& state)
{
    std::vector<uint8_t> data(1 << 20, 0x5a);
    for (auto _ : state) {
        InputBuffer input(data.data(), data.size());
        uint32_t sum = 0;
        uint8_t raw[kWidth];
        while (input.Read(raw, sizeof raw))
            sum += kWidth == 2 ? LoadU16(raw) : LoadU32(raw);
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(static_cast<int64_t>(data.size()) * state.iterations());
}
BENCHMARK(BM_ReadValues<2>);
BENCHMARK(BM_ReadValues<4>);

// Block refills from a stream: 12-byte records across 256 KiB blocks.
void BM_ReadFromStream(benchmark::State& state)
{
    std::vector<uint8_t> data(16 << 20, 0x5a);
    std::FILE* file = std::tmpfile();
    std::fwrite(data.data(), 1, data.size(), file);
    for (auto _ : state) {
        std::rewind(file);
        InputBuffer input(file, data.size());
        uint32_t sum = 0;
        uint8_t raw[12];
        while (input.Read(raw, sizeof raw))
            sum += LoadU32(raw + 8);
        benchmark::DoNotOptimize(sum);
    }
    std::fclose(file);
    state.SetBytesProcessed(static_cast<int64_t>(data.size()) * state.iterations());
}
BENCHMARK(BM_ReadFromStream);

// Vertex decoding: a mesh of side x side vertices and no faces.
void BM_VertexDecoding(benchmark::State& state)
{
    auto side = static_cast<int32_t>(state.range(0));
    std::vector<uint8_t> bytes = GridSceneBytes(side, 0);
    ImportScene(state, bytes, 0);
    state.counters["vertices/s"] = benchmark::Counter(
        static_cast<double>(side) * side * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_VertexDecoding)->Arg(64)->Arg(1024);

// Face emission: many faces over a small vertex list that stays in cache.
void BM_FaceEmission(benchmark::State& state)
{
    int64_t faces = state.range(0);
    std::vector<uint8_t> bytes = GridSceneBytes(64, faces);
    ImportScene(state, bytes, static_cast<uint64_t>(faces));
    state.counters["triangles/s"] = benchmark::Counter(
        static_cast<double>(faces) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FaceEmission)->Arg(1 << 16)->Arg(1 << 20);

// A whole grid scene: vertices, then two faces per cell.
void BM_GridScene(benchmark::State& state)
{
    auto side = static_cast<int32_t>(state.range(0));
    kvdwriter::GridSurface grid{side, side};
    std::vector<uint8_t> bytes = GridSceneBytes(side, grid.faceCount());
    ImportScene(state, bytes, static_cast<uint64_t>(grid.faceCount()));
}
BENCHMARK(BM_GridScene)->Arg(256)->Arg(1024);

}  // namespace

BENCHMARK_MAIN();
