// The general-purpose importer on the same geometry: reads a file with no
// post-processing and reports what it built, so the harness can check that
// both importers saw the same mesh.
//
//   bench_assimp_import FILE
//
// Prints one line: "meshes M vertices V faces F".
#include <cstdio>

#include <assimp/Importer.hpp>
#include <assimp/scene.h>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: bench_assimp_import FILE\n", stderr);
        return 2;
    }
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(argv[1], 0);
    if (scene == nullptr) {
        std::fprintf(stderr, "bench_assimp_import: %s\n", importer.GetErrorString());
        return 1;
    }
    unsigned long long vertices = 0;
    unsigned long long faces = 0;
    for (unsigned i = 0; i < scene->mNumMeshes; ++i) {
        vertices += scene->mMeshes[i]->mNumVertices;
        faces += scene->mMeshes[i]->mNumFaces;
    }
    std::printf("meshes %u vertices %llu faces %llu\n", scene->mNumMeshes, vertices, faces);
    return 0;
}
