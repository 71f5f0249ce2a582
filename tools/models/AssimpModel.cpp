#include "tools/models/AssimpModel.h"

#include <algorithm>
#include <cmath>
#include <map>

#include <mutex>

#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include "tools/models/AssimpLibrary.h"

#include "tools/models/ModelImages.h"
#include "tools/models/ModelTree.h"

namespace {

// A triangle mesh of the importer's scene.
class ImportedMesh final : public SourceMesh {
public:
    explicit ImportedMesh(const aiMesh& mesh) : mesh_(mesh) {}
    uint64_t pointCount() const override { return mesh_.mNumVertices; }
    void ReadPoints(uint64_t first, size_t count, double* xyz) const override
    {
        for (size_t i = 0; i < count; ++i) {
            const aiVector3D& p = mesh_.mVertices[first + i];
            xyz[3 * i] = p.x;
            xyz[3 * i + 1] = p.y;
            xyz[3 * i + 2] = p.z;
        }
    }
    uint64_t triangleCount() const override { return mesh_.mNumFaces; }
    void ReadTriangles(uint64_t first, size_t count, uint32_t* corners) const override
    {
        for (size_t i = 0; i < count; ++i) {
            const aiFace& face = mesh_.mFaces[first + i];
            for (unsigned c = 0; c < 3; ++c)
                corners[3 * i + c] = face.mNumIndices == 3 ? face.mIndices[c] : UINT32_MAX;
        }
    }

private:
    const aiMesh& mesh_;
};

Matrix4 ColumnOrder(const aiMatrix4x4& m)
{
    return {m.a1, m.b1, m.c1, m.d1, m.a2, m.b2, m.c2, m.d2, m.a3, m.b3, m.c3, m.d3, m.a4, m.b4, m.c4, m.d4};
}

kvdfile::Colour ColourOr(const AssimpLibrary& assimp, const aiMaterial& material, const char* key, unsigned type,
                         unsigned index, kvdfile::Colour fallback, bool& found)
{
    aiColor4D colour;
    found = assimp.aiGetMaterialColor(&material, key, type, index, &colour) == AI_SUCCESS;
    if (!found)
        return fallback;
    return {std::clamp(colour.r, 0.0f, 1.0f), std::clamp(colour.g, 0.0f, 1.0f), std::clamp(colour.b, 0.0f, 1.0f)};
}

class AssimpReader final : public ModelTreeSource {
public:
    AssimpReader(const AssimpLibrary& assimp, const aiScene& scene, std::filesystem::path folder)
        : assimp_(assimp), scene_(scene), folder_(std::move(folder))
    {
    }

    ModelScene Read()
    {
        Flatten();
        materialNumber_.assign(scene_.mNumMaterials, -1);
        meshSources_.assign(scene_.mNumMeshes, nullptr);
        for (unsigned i = 0; i < scene_.mNumCameras; ++i)
            cameraByName_[scene_.mCameras[i]->mName.C_Str()] = i;
        BuildModelTree(*this, {0}, model_);
        return std::move(model_);
    }

    size_t nodeCount() const override { return nodes_.size(); }
    const std::vector<int>& Children(int node) const override { return children_[static_cast<size_t>(node)]; }
    bool Local(int node, Matrix4& local) const override
    {
        const aiMatrix4x4& m = nodes_[static_cast<size_t>(node)]->mTransformation;
        if (m.IsIdentity())
            return false;
        local = ColumnOrder(m);
        return true;
    }
    std::string Name(int node) const override
    {
        const std::string name = nodes_[static_cast<size_t>(node)]->mName.C_Str();
        return name.empty() ? "node " + std::to_string(node) : name;
    }

    std::vector<kvdfile::NodeToWrite> Visit(int index, const Matrix4& world, bool identity) override
    {
        const aiNode& node = *nodes_[static_cast<size_t>(index)];
        const std::string name = Name(index);
        auto camera = cameraByName_.find(node.mName.C_Str());
        if (camera != cameraByName_.end())
            AddCamera(*scene_.mCameras[camera->second], world);
        std::vector<kvdfile::NodeToWrite> meshNodes;
        for (unsigned i = 0; i < node.mNumMeshes; ++i) {
            const unsigned meshIndex = node.mMeshes[i];
            if (meshIndex >= scene_.mNumMeshes)
                continue;
            const aiMesh& mesh = *scene_.mMeshes[meshIndex];
            if ((mesh.mPrimitiveTypes & aiPrimitiveType_TRIANGLE) == 0) {
                model_.Warn("points and lines are left out: a kvd scene holds triangles only");
                continue;
            }
            if (meshSources_[meshIndex] == nullptr) {
                model_.meshes.push_back(std::make_unique<ImportedMesh>(mesh));
                meshSources_[meshIndex] = model_.meshes.back().get();
            }
            MeshInstance instance;
            instance.mesh = meshSources_[meshIndex];
            instance.world = world;
            instance.identity = identity;
            instance.head.name = mesh.mName.length > 0 && node.mNumMeshes > 1 ? mesh.mName.C_Str() : name;
            UseMaterial(mesh.mMaterialIndex, instance.head);
            kvdfile::NodeToWrite meshNode;
            meshNode.name = instance.head.name;
            meshNode.mesh = static_cast<int64_t>(model_.instances.size());
            model_.instances.push_back(std::move(instance));
            meshNodes.push_back(std::move(meshNode));
        }
        return meshNodes;
    }

private:
    // Numbers every node, without recursion.
    void Flatten()
    {
        std::vector<std::pair<const aiNode*, int>> stack;
        if (scene_.mRootNode != nullptr)
            stack.emplace_back(scene_.mRootNode, -1);
        while (!stack.empty()) {
            auto [node, parent] = stack.back();
            stack.pop_back();
            const int number = static_cast<int>(nodes_.size());
            nodes_.push_back(node);
            children_.emplace_back();
            if (parent >= 0)
                children_[static_cast<size_t>(parent)].push_back(number);
            for (unsigned i = node->mNumChildren; i-- > 0;)
                stack.emplace_back(node->mChildren[i], number);
        }
    }

    void UseMaterial(unsigned index, kvdfile::MeshHead& head)
    {
        if (index >= scene_.mNumMaterials) {
            head.material = kvdfile::MeshHead::kOwnColour;
            return;
        }
        int& number = materialNumber_[index];
        if (number < 0) {
            number = static_cast<int>(model_.scene.materials.size());
            model_.scene.materials.push_back(MakeMaterial(*scene_.mMaterials[index]));
        }
        head.material = number;
    }

    kvdfile::MaterialToWrite MakeMaterial(const aiMaterial& source)
    {
        kvdfile::MaterialToWrite material;
        aiString name;
        material.name = assimp_.aiGetMaterialString(&source, AI_MATKEY_NAME, &name) == AI_SUCCESS ? name.C_Str() : "";
        bool found = false;
        material.diffuse = ColourOr(assimp_, source, AI_MATKEY_COLOR_DIFFUSE, {0.8f, 0.8f, 0.8f}, found);
        if (!found)
            material.diffuse = ColourOr(assimp_, source, AI_MATKEY_BASE_COLOR, {0.8f, 0.8f, 0.8f}, found);
        material.ambient = ColourOr(assimp_, source, AI_MATKEY_COLOR_AMBIENT, material.diffuse, found);
        // A black ambient colour is what many exporters write for "none":
        // the surface then takes its diffuse colour in shadow too.
        if (!found || material.ambient == kvdfile::Colour{0.0f, 0.0f, 0.0f})
            material.ambient = material.diffuse;
        material.specular = ColourOr(assimp_, source, AI_MATKEY_COLOR_SPECULAR, {0.0f, 0.0f, 0.0f}, found);
        float shininess = 0.0f;
        unsigned count = 1;
        if (assimp_.aiGetMaterialFloatArray(&source, AI_MATKEY_SHININESS, &shininess, &count) == AI_SUCCESS &&
            std::isfinite(shininess))
            material.shininess = std::clamp(shininess / 10.0f, 0.0f, 100.0f);
        aiString texture;
        auto textureOf = [&](aiTextureType type) {
            return assimp_.aiGetMaterialTexture(&source, type, 0, &texture, nullptr, nullptr, nullptr, nullptr,
                                                nullptr, nullptr) == AI_SUCCESS;
        };
        if (textureOf(aiTextureType_DIFFUSE) || textureOf(aiTextureType_BASE_COLOR)) {
            AddImageMap(model_.scene.materials.size(), texture.C_Str());
        }
        return material;
    }

    void AddImageMap(size_t material, const std::string& name)
    {
        std::optional<ModelImage> image;
        if (!name.empty() && name[0] == '*') {
            // An image the model file holds itself.
            const auto number = static_cast<unsigned>(std::strtoul(name.c_str() + 1, nullptr, 10));
            if (number < scene_.mNumTextures && scene_.mTextures[number]->mHeight == 0) {
                const aiTexture& held = *scene_.mTextures[number];
                ModelImage made;
                made.name = held.mFilename.length > 0 ? held.mFilename.C_Str() : "texture" + std::to_string(number);
                const auto* bytes = reinterpret_cast<const uint8_t*>(held.pcData);
                made.bytes.assign(bytes, bytes + held.mWidth);
                made.origin = "image " + std::to_string(number) + " of the model";
                image = std::move(made);
            }
        } else {
            image = LoadModelImage(folder_, name, model_);
        }
        if (!image)
            return;
        model_.imageMaps.push_back({material, model_.images.size(), kvdfile::MapRole::Colour, {}});
        model_.images.push_back(std::move(*image));
    }

    void AddCamera(const aiCamera& source, const Matrix4& nodeWorld)
    {
        // The camera's own frame within its node: at mPosition, looking
        // along mLookAt with mUp up.
        std::array<double, 3> back{-source.mLookAt.x, -source.mLookAt.y, -source.mLookAt.z};
        std::array<double, 3> up{source.mUp.x, source.mUp.y, source.mUp.z};
        auto normalise = [](std::array<double, 3>& v) {
            const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
            if (length > 0.0)
                for (double& c : v)
                    c /= length;
        };
        normalise(back);
        std::array<double, 3> right{up[1] * back[2] - up[2] * back[1], up[2] * back[0] - up[0] * back[2],
                                    up[0] * back[1] - up[1] * back[0]};
        normalise(right);
        up = {back[1] * right[2] - back[2] * right[1], back[2] * right[0] - back[0] * right[2],
              back[0] * right[1] - back[1] * right[0]};
        const Matrix4 local = {right[0], right[1], right[2], 0, up[0], up[1], up[2], 0, back[0], back[1], back[2], 0,
                               source.mPosition.x, source.mPosition.y, source.mPosition.z, 1};
        ModelCamera camera;
        camera.name = source.mName.C_Str();
        camera.world = Multiply(nodeWorld, local);
        if (source.mHorizontalFOV > 0.0f)
            camera.horizontalFovDegrees = 2.0 * source.mHorizontalFOV * 180.0 / 3.14159265358979323846;
        model_.cameras.push_back(std::move(camera));
    }

    const AssimpLibrary& assimp_;
    const aiScene& scene_;
    std::filesystem::path folder_;
    ModelScene model_;
    std::vector<const aiNode*> nodes_;
    std::vector<std::vector<int>> children_;
    std::vector<int> materialNumber_;
    std::vector<const SourceMesh*> meshSources_;
    std::map<std::string, unsigned> cameraByName_;
};

// The library's C entry points share one error text: one import at a time.
std::mutex& ImportLock()
{
    static std::mutex lock;
    return lock;
}

}  // namespace

ModelReadResult ReadAssimpFile(const std::filesystem::path& path)
{
    std::string error;
    const AssimpLibrary* assimp = LoadAssimpLibrary(error);
    if (assimp == nullptr)
        return {std::nullopt, "the general importer is not installed (Debian libassimp5): " + error};
    const aiScene* scene = nullptr;
    {
        // Triangles only, each mesh of one primitive kind, and the
        // importer's own check of what it built (indices within the meshes).
        std::lock_guard<std::mutex> hold(ImportLock());
        scene = assimp->aiImportFile(path.string().c_str(), aiProcess_Triangulate | aiProcess_SortByPType |
                                                                aiProcess_ValidateDataStructure);
        if (scene == nullptr)
            error = assimp->aiGetErrorString();
    }
    if (scene == nullptr) {
        while (!error.empty() && (error.back() == '\n' || error.back() == ' '))
            error.pop_back();
        return {std::nullopt, "the general importer cannot read it: " + error};
    }
    std::shared_ptr<const aiScene> held(scene, [assimp](const aiScene* s) { assimp->aiReleaseImport(s); });
    ModelScene model = AssimpReader(*assimp, *scene, path.parent_path().empty() ? "." : path.parent_path()).Read();
    model.keepAlive.push_back(std::const_pointer_cast<aiScene>(held));
    return {std::move(model), {}};
}

bool AssimpReadsExtension(const std::string& extension)
{
    std::string error;
    const AssimpLibrary* assimp = LoadAssimpLibrary(error);
    return assimp != nullptr && !extension.empty() && assimp->aiIsExtensionSupported(extension.c_str()) == AI_TRUE;
}

std::string AssimpExtensionList()
{
    std::string error;
    const AssimpLibrary* assimp = LoadAssimpLibrary(error);
    if (assimp == nullptr)
        return "(none: " + error + ")";
    aiString extensions;
    assimp->aiGetExtensionList(&extensions);
    const std::string all = extensions.C_Str();
    // glTF and OBJ are read by the tool itself.
    std::string list;
    size_t start = 0;
    while (start < all.size()) {
        size_t end = all.find(';', start);
        if (end == std::string::npos)
            end = all.size();
        const std::string pattern = all.substr(start, end - start);
        if (pattern != "*.glb" && pattern != "*.gltf" && pattern != "*.obj")
            list += (list.empty() ? "" : " ") + pattern.substr(1);
        start = end + 1;
    }
    return list;
}
