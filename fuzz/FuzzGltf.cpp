// The fuzz target's glTF path: bytes read as a .glb or .gltf from memory
// (tinygltf for the document, the tool's own reading of the binary data),
// the cameras placed, the images made into the host's kinds, and the scene
// written by the kvd writer. Whatever the bytes, a scene that is written
// must be a well-formed kvd file: the plug-in's reader reads it whole, with
// no damage and no broken host rule, and gets every mesh and triangle the
// writer counted.
#include "fuzz/FuzzGltf.h"

#include <cstdio>
#include <cstdlib>

#include "tests/support/CheckedImport.h"
#include "tools/models/GltfModel.h"
#include "tools/models/HostImage.h"
#include "tools/models/ModelCameras.h"
#include "tools/models/ModelFeed.h"
#include "writer/KvdFileWriter.h"

namespace {

[[noreturn]] void Fail(const char* what, const std::string& details)
{
    std::fprintf(stderr, "kvd_fuzz (glTF): %s\n%s\n", what, details.c_str());
    std::abort();
}

}  // namespace

bool LooksLikeGltf(const uint8_t* data, size_t size)
{
    if (size >= 4 && data[0] == 'g' && data[1] == 'l' && data[2] == 'T' && data[3] == 'F')
        return true;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == ' ' || data[i] == '\n' || data[i] == '\r' || data[i] == '\t')
            continue;
        return data[i] == '{';
    }
    return false;
}

void FuzzGltf(const uint8_t* data, size_t size)
{
    ModelReadResult read = ReadGltfBytes({data, size}, {});
    if (!read.model)
        return;
    ModelScene& model = *read.model;
    // Both ways of taking the axes, turn by turn.
    AxisOptions axes;
    axes.keepAxes = size % 2 == 1;
    PlaceCameras(model, axes);
    for (const ModelImage& image : model.images)
        PrepareHostImage(image.bytes, HostImageKind::AsItIs);

    ModelFeed feed(model, axes);
    kvdfile::MemoryOutput out;
    const kvdfile::WriteResult written = kvdfile::WriteKvdScene(model.scene, feed, out);
    if (!written.written)
        Fail("the writer refused what the model reader made", written.error);

    CheckingHostOptions options;
    options.keepCalls = false;
    CheckingHost host(options);
    const CheckedImportResult imported = RunCheckedImport(host, out.bytes());
    if (!host.violations().empty())
        Fail("the written scene breaks a host rule", host.ViolationReport());
    if (imported.damaged)
        Fail("the written scene reads as damaged", "");
    if (static_cast<uint64_t>(host.objectsBegun()) != written.meshes ||
        static_cast<uint64_t>(host.triangles()) != written.triangles)
        Fail("the host did not get the meshes and triangles written", "");
}
