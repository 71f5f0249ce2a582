// Every conversion scene, written as .glb, .gltf and .obj and loaded again
// by assimp, an independent reader: the same triangles with the same corner
// positions (after the axis change), the cameras, and UTF-8 names.
#include <cmath>
#include <cstdio>
#include <memory>
#include <set>
#include <string>

#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include "ConvertScenes.h"
#include "TempFolder.h"
#include "tools/export/SceneExport.h"
#include "tools/export/StreamingConversion.h"
#include "tools/scene/SceneCollector.h"
#include "tools/scene/SceneImport.h"

namespace {

struct Case {
    std::string scene;
    std::string extension;
    AxisMode axes;
    // 0: every mesh keeps the file's own indexing, as large meshes do.
    size_t mergeVertexLimit = kMergeVertexLimit;
};

void PrintTo(const Case& c, std::ostream* out)
{
    *out << c.scene << "." << c.extension << (c.axes == AxisMode::Keep ? " --keep-axes" : "")
         << (c.mergeVertexLimit == 0 ? " unmerged" : "");
}

std::string CaseName(const testing::TestParamInfo<Case>& info)
{
    return info.param.scene + "_" + info.param.extension + (info.param.axes == AxisMode::Keep ? "_keep" : "") +
           (info.param.mergeVertexLimit == 0 ? "_unmerged" : "");
}

std::vector<Case> AllCases()
{
    std::vector<Case> cases;
    for (const ConvertScene& scene : ConvertScenes()) {
        if (!scene.hasNodes)
            continue;
        for (const char* extension : {"glb", "gltf", "obj"})
            cases.push_back({scene.name, extension, AxisMode::ToYUp});
        for (const char* extension : {"glb", "obj"})
            cases.push_back({scene.name, extension, AxisMode::ToYUp, 0});
    }
    cases.push_back({"house", "glb", AxisMode::Keep});
    cases.push_back({"house", "obj", AxisMode::Keep});
    return cases;
}

kvdwriter::SceneDescription SceneNamed(const std::string& name)
{
    for (ConvertScene& scene : ConvertScenes()) {
        if (scene.name == name)
            return std::move(scene.scene);
    }
    ADD_FAILURE() << "no scene " << name;
    return {};
}

size_t CameraCount(const kvdwriter::SceneDescription& scene)
{
    if (scene.cameras.empty())
        return 1;   // the fixed default camera
    size_t count = 0;
    for (const kvdwriter::CameraDescription& camera : scene.cameras)
        count += camera.entryTag == kvdwriter::kCameraEntry ? 1 : 0;
    return count;
}

aiMatrix4x4 GlobalTransform(const aiNode* node)
{
    aiMatrix4x4 transform;
    for (; node != nullptr; node = node->mParent)
        transform = node->mTransformation * transform;
    return transform;
}

class RoundTripTest : public testing::TestWithParam<Case> {
protected:
    void SetUp() override
    {
        description_ = SceneNamed(GetParam().scene);
        const std::string input = folder_ / "scene.kvd";
        const std::vector<uint8_t> bytes = kvdwriter::SceneBytes(description_);
        std::FILE* file = std::fopen(input.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file), bytes.size());
        std::fclose(file);

        // The cameras as the reader gives them, to check the output's against.
        SceneCollector collector(model_);
        ASSERT_EQ(ImportScene(input, collector, nullptr).result, ImportResult::Imported);

        // kvd convert's path: each part of the scene to the writer as it is read.
        output_ = folder_ / ("scene." + GetParam().extension);
        ExportOptions options;
        options.axes = GetParam().axes;
        WriterLimits limits;
        limits.mergeVertexLimit = GetParam().mergeVertexLimit;
        const std::unique_ptr<SceneWriter> writer = MakeSceneWriter(output_, *FormatFromPath(output_), options, limits);
        ASSERT_TRUE(writer->Open()) << writer->error();
        StreamingConversion conversion(*writer);
        ASSERT_EQ(ImportScene(input, conversion, nullptr).result, ImportResult::Imported);
        conversion.Complete();
        ASSERT_TRUE(writer->Finish(nullptr)) << writer->error();

        loaded_ = importer_.ReadFile(output_, 0);
        ASSERT_NE(loaded_, nullptr) << importer_.GetErrorString();
    }

    std::array<float, 3> Expected(const Corner& corner) const
    {
        if (GetParam().axes == AxisMode::Keep)
            return corner;
        return {corner[0], corner[2], -corner[1]};
    }

    kvdwriter::SceneDescription description_;
    TempFolder folder_;
    SceneModel model_;
    std::string output_;
    Assimp::Importer importer_;
    const aiScene* loaded_ = nullptr;
};

TEST_P(RoundTripTest, KeepsEveryTriangleAndCorner)
{
    std::vector<ExpectedObject> expected;
    for (ExpectedObject& object : ExpectedObjects(description_)) {
        if (!object.corners.empty())
            expected.push_back(std::move(object));
    }
    ASSERT_EQ(loaded_->mNumMeshes, expected.size());
    for (size_t m = 0; m < expected.size(); ++m) {
        const aiMesh* mesh = loaded_->mMeshes[m];
        const std::vector<Corner>& corners = expected[m].corners;
        ASSERT_EQ(mesh->mNumFaces * 3, corners.size()) << "mesh " << m;
        for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
            ASSERT_EQ(mesh->mFaces[f].mNumIndices, 3u);
            for (unsigned c = 0; c < 3; ++c) {
                const aiVector3D& got = mesh->mVertices[mesh->mFaces[f].mIndices[c]];
                const std::array<float, 3> want = Expected(corners[f * 3 + c]);
                for (int axis = 0; axis < 3; ++axis) {
                    ASSERT_NEAR(got[axis], want[axis], 1e-6 * (1.0 + std::fabs(want[axis])))
                        << "mesh " << m << " face " << f << " corner " << c;
                }
            }
        }
    }
}

TEST_P(RoundTripTest, KeepsTheCamerasLookingAtTheirTargets)
{
    if (GetParam().extension == "obj") {
        EXPECT_EQ(loaded_->mNumCameras, 0u) << "OBJ holds no cameras";
        return;
    }
    ASSERT_EQ(loaded_->mNumCameras, CameraCount(description_));
    ASSERT_EQ(loaded_->mNumCameras, model_.cameras.size());
    for (unsigned i = 0; i < loaded_->mNumCameras; ++i) {
        const SceneCamera& camera = model_.cameras[i];
        const aiNode* node = loaded_->mRootNode->FindNode(loaded_->mCameras[i]->mName);
        ASSERT_NE(node, nullptr);
        aiVector3D forward = aiMatrix3x3(GlobalTransform(node)) * aiVector3D(0.0f, 0.0f, -1.0f);
        aiVector3D toTarget(static_cast<float>(camera.target[0] - camera.eye[0]),
                            static_cast<float>(camera.target[2] - camera.eye[2]),
                            static_cast<float>(camera.eye[1] - camera.target[1]));
        if (GetParam().axes == AxisMode::Keep) {
            toTarget = aiVector3D(static_cast<float>(camera.target[0] - camera.eye[0]),
                                  static_cast<float>(camera.target[1] - camera.eye[1]),
                                  static_cast<float>(camera.target[2] - camera.eye[2]));
        }
        if (toTarget.Length() == 0.0f)
            toTarget = aiVector3D(0.0f, 0.0f, -1.0f);   // nothing to look at: the node's own axis
        EXPECT_NEAR((forward.Normalize() - toTarget.Normalize()).Length(), 0.0f, 1e-5f) << "camera " << i;
    }
}

TEST_P(RoundTripTest, NamesArriveAsUtf8)
{
    std::set<std::string> names;
    for (unsigned i = 0; i < loaded_->mNumMaterials; ++i)
        names.insert(loaded_->mMaterials[i]->GetName().C_Str());
    if (GetParam().scene == "house") {
        for (const char* name : {"木材", "红砖", "屋瓦", "玻璃", "地面"})
            EXPECT_TRUE(names.count(name)) << name;
    }
    if (GetParam().scene == "gbk_names") {
        for (const char* name : {"木纹", "bright", "玻璃"})
            EXPECT_TRUE(names.count(name)) << name;
        if (GetParam().extension != "obj") {
            EXPECT_NE(loaded_->mRootNode->FindNode("相机2"), nullptr);
            bool found = false;
            for (unsigned i = 0; i < loaded_->mNumMaterials; ++i) {
                aiString path;
                if (loaded_->mMaterials[i]->GetTexture(aiTextureType_DIFFUSE, 0, &path) == AI_SUCCESS)
                    found = found || std::string(path.C_Str()) == "%E6%9C%A8%E7%BA%B9%20%E4%B9%97.jpg";
            }
            EXPECT_TRUE(found) << "the texture URI of 木纹 乗.jpg";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Scenes, RoundTripTest, testing::ValuesIn(AllCases()), CaseName);

}  // namespace
