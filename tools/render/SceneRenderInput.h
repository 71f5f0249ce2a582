// The renderer's input made from the tool's import: the whole scene as the
// reader hands it to the collecting destination, its cameras (or the fixed default
// camera when the file gives none), each object's triangles in its
// material's diffuse colour or the mesh's own colour, and the texture images
// found for its materials, with box-projected texture coordinates.
//
// This file is the only place that knows where the tool's meshes come from.
#pragma once

#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tools/export/StreamedMesh.h"
#include "tools/render/RenderInput.h"
#include "tools/scene/SceneImport.h"
#include "tools/scene/SceneModel.h"

// A textured object indexed as the converter indexes it, kept whole.
struct TexturedMesh final : IndexedMeshSink {
    std::vector<float> positions;   // x y z per vertex, the scene's axes
    std::vector<float> texCoords;   // u v per vertex
    std::vector<uint32_t> indices;  // three per triangle

    void AddVertices(const float* p, const float* t, size_t count) override;
    void AddIndices(const uint32_t* i, size_t count) override;
};

struct SceneRenderInput {
    SceneRenderInput() = default;
    SceneRenderInput(const SceneRenderInput&) = delete;
    SceneRenderInput& operator=(const SceneRenderInput&) = delete;

    ImportReport report;
    std::vector<RenderCamera> cameras;   // never empty; the default camera first
    std::vector<std::string> cameraNames;   // UTF-8
    RenderScene scene;                   // refers to the arrays below
    std::set<std::string> missingTextures;   // names as resolved, UTF-8
    // Found but not readable: name as resolved (UTF-8) to "path: why".
    std::map<std::string, std::string> unreadableTextures;
    uint64_t triangles = 0;

    // What the scene's meshes refer to.
    SceneModel model;
    std::deque<TexturedMesh> texturedMeshes;
    std::map<std::string, RgbaImage> images;
};

// Imports path (quiet: no progress bar) and fills input; input.report says
// how the import went.
void ImportSceneForRender(const std::string& path, bool quiet, SceneRenderInput& input);
