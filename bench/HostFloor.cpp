// The floor of the host path: what any import into a host must do at least.
// The file is read through the reader, each mesh's vertices are widened to
// three doubles each in fresh memory, and each face is one call, with the
// addresses of its three corners, to an empty function in another module. The import
// into the count-only host (bench_counting_import) does the same through the
// host's point operations and scene-builder functions.
//
//   bench_host_floor FILE
//
// Prints one line: "objects O triangles T".
#include <cstdio>
#include <vector>

#include "bench/EmptyTriangle.h"
#include "base/LargePageAllocator.h"
#include "reader/MessageSink.h"
#include "reader/SceneReader.h"

namespace {
class StderrMessages : public MessageSink {
public:
    void ShowMessage(ImportMessage message) override
    {
        std::fprintf(stderr, "bench_host_floor: %s\n", MessageMeaning(message));
    }
};

struct WidePoint {
    double x;
    double y;
    double z;
};

class FloorDestination final : public SceneDestination {
public:
    void Materials(const MaterialList&) override {}
    void Camera(const CameraView&) override {}

    bool BeginMesh(const MeshView& mesh) override
    {
        // Fresh memory for every mesh, on large pages as the host's points.
        const size_t count = mesh.vertices.size();
        points_ = WidePoints();
        points_.resize(count);
        for (size_t i = 0; i < count; ++i)
            points_[i] = {mesh.vertices[i].x, mesh.vertices[i].y, mesh.vertices[i].z};
        ++objects;
        return true;
    }

    void AddFaces(std::span<const MeshFace> faces) override
    {
        const WidePoint* base = points_.data();
        for (const MeshFace& face : faces)
            EmptyTriangle(base + face.a, base + face.b, base + face.c);
        triangles += faces.size();
    }

    void EndMesh() override { points_ = WidePoints(); }

    uint64_t objects = 0;
    uint64_t triangles = 0;

private:
    using WidePoints = std::vector<WidePoint, UninitialisedLargePageAllocator<WidePoint>>;
    WidePoints points_;
};
}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: bench_host_floor FILE\n", stderr);
        return 2;
    }
    StderrMessages messages;
    FloorDestination destination;
    SceneReader reader(messages, destination);
    if (reader.ImportFile(argv[1]) != ImportResult::Imported)
        return 1;
    std::printf("objects %llu triangles %llu\n", static_cast<unsigned long long>(destination.objects),
                static_cast<unsigned long long>(destination.triangles));
    return 0;
}
