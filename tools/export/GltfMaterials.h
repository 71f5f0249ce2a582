// The glTF materials of an output, with their textures and images. Each
// material's base colour is its diffuse colour (clamped to 0..1); extras keep
// the values the file stores and the texture names as stored; the colour
// image is the base colour texture and the bump image stays in extras (it is
// no normal map). Images found go into the binary data (.glb), into the JSON
// as data URIs, or beside the output as files, named when it is finished;
// without images, textures refer to the names as stored.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tools/export/ExportOptions.h"
#include "tools/export/GltfBinaryData.h"
#include "tools/export/GltfDocument.h"
#include "tools/scene/SceneMaterial.h"

class GltfMaterials {
public:
    // binaryOutput: a .glb, whose images go into binary.
    GltfMaterials(GltfJson& document, GltfBinaryData& binary, bool binaryOutput, const ExportOptions& options);

    // The material's number, in the order added.
    int Add(const SceneMaterial& material);
    // The material shows an image: its meshes need texture coordinates.
    bool Textured(int material) const { return textured_[static_cast<size_t>(material)]; }

    // .gltf with images beside it: writes them into the output's folder and
    // names them in the document. False, with the reason in error, on failure.
    bool WriteImagesBeside(const std::string& outputPath, std::string& error);

private:
    int TextureFor(const std::string& uri);
    int TextureForImage(int slot);
    int AddTexture(GltfJson image);

    GltfJson& document_;
    GltfBinaryData& binary_;
    bool binaryOutput_;
    const ExportOptions& options_;
    std::vector<bool> textured_;
    // Textures by the URI of their name as stored.
    std::map<std::string, int> textures_;
    // Found images by their position in options_.images, as textures.
    std::map<int, int> imageTextures_;
    // .gltf: images (document image, found image) and bumps (material, found
    // image) whose files go beside the output.
    std::vector<std::pair<int, int>> besideImages_;
    std::vector<std::pair<int, int>> besideBumps_;
};
