// Writes the benchmark inputs: a single-mesh kvd scene streamed through the
// project's writer, and optionally the same geometry as a little-endian
// binary PLY for the general-purpose importer.
//
//   bench_make_scene --bytes N  --kvd out.kvd [--ply out.ply]
//   bench_make_scene --grid SIDE --kvd out.kvd [--ply out.ply]
//
// Prints one line: "vertices V faces F bytes B".
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tools/structural/KvdWriter.h"

namespace {

using FileHandle = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

FileHandle OpenForWriting(const std::string& path)
{
    return FileHandle(std::fopen(path.c_str(), "wb"), &std::fclose);
}

// A little-endian host writes the PLY's values as they lie in memory.
static_assert(std::endian::native == std::endian::little);

bool WritePly(std::FILE* out, const kvdwriter::GridSurface& grid)
{
    std::string header = "ply\nformat binary_little_endian 1.0\n";
    header += "element vertex " + std::to_string(grid.vertexCount()) + "\n";
    header += "property float x\nproperty float y\nproperty float z\n";
    header += "element face " + std::to_string(grid.faceCount()) + "\n";
    header += "property list uchar int vertex_indices\nend_header\n";
    bool ok = std::fwrite(header.data(), 1, header.size(), out) == header.size();

    constexpr int64_t kChunk = 1 << 16;
    std::vector<kvdwriter::Vertex> vertices(kChunk);
    for (int64_t first = 0; ok && first < grid.vertexCount(); first += kChunk) {
        auto n = static_cast<size_t>(std::min<int64_t>(kChunk, grid.vertexCount() - first));
        grid.FillVertices(first, std::span(vertices.data(), n));
        ok = std::fwrite(vertices.data(), sizeof(kvdwriter::Vertex), n, out) == n;
    }
    constexpr size_t kPlyFaceBytes = 1 + 3 * sizeof(int32_t);
    std::vector<kvdwriter::Face> faces(kChunk);
    std::vector<uint8_t> packed(kChunk * kPlyFaceBytes);
    for (int64_t first = 0; ok && first < grid.faceCount(); first += kChunk) {
        auto n = static_cast<size_t>(std::min<int64_t>(kChunk, grid.faceCount() - first));
        grid.FillFaces(first, std::span(faces.data(), n));
        for (size_t i = 0; i < n; ++i) {
            packed[i * kPlyFaceBytes] = 3;
            std::memcpy(&packed[i * kPlyFaceBytes + 1], faces[i].data(), 3 * sizeof(int32_t));
        }
        ok = std::fwrite(packed.data(), kPlyFaceBytes, n, out) == n;
    }
    return ok;
}

int Usage()
{
    std::fputs("usage: bench_make_scene (--bytes N | --grid SIDE) --kvd OUT [--ply OUT]\n", stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    uint64_t bytes = 0;
    int32_t side = 0;
    std::string kvdPath;
    std::string plyPath;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string_view option = argv[i];
        const char* value = argv[i + 1];
        if (option == "--bytes")
            bytes = std::strtoull(value, nullptr, 10);
        else if (option == "--grid")
            side = static_cast<int32_t>(std::strtol(value, nullptr, 10));
        else if (option == "--kvd")
            kvdPath = value;
        else if (option == "--ply")
            plyPath = value;
        else
            return Usage();
    }
    if (kvdPath.empty() || (bytes == 0) == (side < 2))
        return Usage();

    // The writer's grid scene sizes its square grid from a byte budget; a
    // fixed grid keeps the scene's frame (material, camera, mesh record) and
    // swaps the geometry.
    kvdwriter::StreamedMeshScene scene = kvdwriter::GridScene(bytes);
    kvdwriter::GridSurface grid;
    grid.rows = grid.columns = side >= 2 ? side : static_cast<int32_t>(std::lround(std::sqrt(scene.vertexCount)));
    scene.vertexCount = grid.vertexCount();
    scene.faceCount = grid.faceCount();
    scene.vertices = [grid](int64_t first, std::span<kvdwriter::Vertex> out) { grid.FillVertices(first, out); };
    scene.faces = [grid](int64_t first, std::span<kvdwriter::Face> out) { grid.FillFaces(first, out); };

    FileHandle kvd = OpenForWriting(kvdPath);
    if (!kvd || !kvdwriter::WriteStreamedMeshScene(kvd.get(), scene)) {
        std::fprintf(stderr, "bench_make_scene: cannot write %s\n", kvdPath.c_str());
        return 1;
    }
    long written = std::ftell(kvd.get());
    if (!plyPath.empty()) {
        FileHandle ply = OpenForWriting(plyPath);
        if (!ply || !WritePly(ply.get(), grid)) {
            std::fprintf(stderr, "bench_make_scene: cannot write %s\n", plyPath.c_str());
            return 1;
        }
    }
    std::printf("vertices %d faces %d bytes %ld\n", grid.vertexCount(), grid.faceCount(), written);
    return 0;
}
