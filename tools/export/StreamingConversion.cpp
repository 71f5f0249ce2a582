#include "tools/export/StreamingConversion.h"

// The writer takes the reader's vertices and faces as they lie in memory.
static_assert(sizeof(MeshVertex) == 3 * sizeof(float) && alignof(MeshVertex) == alignof(float));
static_assert(sizeof(MeshFace) == 3 * sizeof(uint32_t) && alignof(MeshFace) == alignof(uint32_t));

void StreamingConversion::Materials(const MaterialList& fileMaterials)
{
    materials_.Reset(fileMaterials);
    writerMaterials_.clear();
}

void StreamingConversion::Camera(const CameraView& camera)
{
    cameras_.push_back(MakeSceneCamera(camera));
}

bool StreamingConversion::BeginMesh(const MeshView& mesh)
{
    if (writer_.failed())
        return false;
    const UsedMaterials::Use use = materials_.Of(mesh);
    if (use.first) {
        if (images_ != nullptr)
            images_->Add(materials_.used().back());
        writerMaterials_.push_back(writer_.AddMaterial(materials_.used().back()));
    }
    ++meshes_;
    writer_.BeginMesh(reinterpret_cast<const float*>(mesh.vertices.data()), mesh.vertices.size(),
                      writerMaterials_[static_cast<size_t>(use.position)]);
    return true;
}

void StreamingConversion::AddFaces(std::span<const MeshFace> faces)
{
    writer_.AddTriangles(reinterpret_cast<const uint32_t*>(faces.data()), faces.size());
}

void StreamingConversion::EndMesh()
{
    writer_.EndMesh();
}

void StreamingConversion::Complete()
{
    for (const SceneCamera& camera : cameras_)
        writer_.AddCamera(camera);
}
