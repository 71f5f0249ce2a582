// Loads a kvd scene through the kvd library's C interface, every mesh into
// its arrays, and says what it got: the C side of the library's load
// benchmark, which run.py sets against kvd info (and the Python package's
// load against this).
//
//     bench_capi_load scene.kvd
//     -> meshes 1 triangles 3998792 vertices 2002225 array_bytes 72011604
#include <cinttypes>
#include <cstdio>

#include <kvd.h>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_capi_load scene.kvd\n");
        return 2;
    }
    kvd_scene* scene = nullptr;
    kvd_error error;
    if (kvd_load_file(argv[1], nullptr, &scene, &error) != KVD_OK) {
        std::fprintf(stderr, "bench_capi_load: %s\n", error.message);
        kvd_scene_free(scene);
        return 1;
    }
    uint64_t triangles = 0, vertices = 0, touched = 0;
    for (size_t i = 0; i < kvd_mesh_count(scene); ++i) {
        kvd_mesh mesh;
        kvd_get_mesh(scene, i, &mesh);
        triangles += mesh.triangle_count;
        vertices += mesh.point_count;
        // One value of each array, so the arrays are known to be there.
        if (mesh.triangle_count > 0)
            touched += mesh.triangles[mesh.triangle_count * 3 - 1];
    }
    std::printf("meshes %zu triangles %" PRIu64 " vertices %" PRIu64 " array_bytes %" PRIu64 " (%" PRIu64 ")\n",
                kvd_mesh_count(scene), triangles, vertices, 12 * (triangles + vertices), touched % 10);
    kvd_scene_free(scene);
    return 0;
}
