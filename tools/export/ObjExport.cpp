#include "tools/export/ObjExport.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "base/GbkText.h"
#include "tools/export/MaterialMaps.h"
#include "tools/export/ReplacingFile.h"
#include "tools/export/SceneExport.h"
#include "tools/export/SceneImages.h"
#include "tools/export/TextureReference.h"

namespace {

// Text goes to the files in pieces of about this size.
constexpr size_t kTextBlock = size_t{1} << 16;

// The shortest text that reads back as the same float.
void PutFloat(std::string& out, float value)
{
    char text[32];
#if defined(__EMSCRIPTEN__)
    // The browser module's C++ library has no floating-point to_chars; it
    // writes no OBJ, but the writer is compiled in. Nine digits read back
    // as the same float too.
    out.append(text, static_cast<size_t>(std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value))));
#else
    auto result = std::to_chars(text, text + sizeof text, value);
    out.append(text, result.ptr);
#endif
}

void PutNumber(std::string& out, uint64_t value)
{
    char text[24];
    auto result = std::to_chars(text, text + sizeof text, value);
    out.append(text, result.ptr);
}

void PutColour(std::string& out, const char* keyword, const std::array<float, 3>& colour)
{
    out += keyword;
    for (float c : colour) {
        out += ' ';
        PutFloat(out, c);
    }
    out += '\n';
}

struct MaterialImageFiles {
    std::string texture;   // relative to the .mtl; empty for none
    std::string bump;
};

void PutMaterial(std::string& mtl, const SceneMaterial& material, const std::string& name,
                 const MaterialImageFiles& files)
{
    mtl += "newmtl " + name + '\n';
    // A mesh's own colour is one colour: no ambient or specular one.
    if (!material.ownColour)
        PutColour(mtl, "Ka", material.ambient);
    PutColour(mtl, "Kd", material.diffuse);
    if (!material.ownColour)
        PutColour(mtl, "Ks", material.specular);
    mtl += "d 1\nillum 2\n";
    if (!files.texture.empty())
        mtl += "map_Kd " + files.texture + '\n';
    if (!files.bump.empty())
        mtl += "map_bump " + files.bump + '\n';
    mtl += '\n';
}

// Each found image as a file in folder, complete before the library that
// names it, and never over one of the scene's source images (images is
// renamed where it would be). Empty when all were written, else why not.
std::string WriteImagesBeside(const std::filesystem::path& folder, SceneImages& images)
{
    KeepSourcesWhenWritingInto(folder.empty() ? "." : folder, images);
    for (const OutputImage& image : images.images) {
        ReplacingFile file((folder / image.fileName).string());
        if (!file.Open())
            return file.path() + ": " + file.error();
        file.stream().write(reinterpret_cast<const char*>(image.packed.bytes.data()),
                            static_cast<std::streamsize>(image.packed.bytes.size()));
        if (!file.Commit())
            return file.path() + ": " + file.error();
    }
    return {};
}

}  // namespace

std::string ObjToken(const std::string& utf8, const std::string& fallback)
{
    std::string token = utf8;
    for (char& c : token) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= ' ' || byte == 0x7F)
            c = '_';
    }
    return token.empty() ? fallback : token;
}

ObjStreamWriter::ObjStreamWriter(std::string path, const ExportOptions& options, const WriterLimits& limits)
    : path_(std::move(path)),
      mtlPath_(MaterialLibraryPath(path_)),
      options_(options),
      limits_(limits),
      obj_(path_),
      texCoords_(path_),
      faces_(path_)
{
}

bool ObjStreamWriter::Open()
{
    for (TemporaryFile* file : {&obj_, &texCoords_, &faces_}) {
        if (!file->Create()) {
            Fail(WriteFailure::Io, file->error());
            return false;
        }
    }
    return Put(obj_, "# " + options_.generator + '\n');
}

bool ObjStreamWriter::Put(TemporaryFile& file, const std::string& text)
{
    if (failed())
        return false;
    if (!file.Write(text.data(), text.size())) {
        Fail(WriteFailure::Io, file.error());
        return false;
    }
    return true;
}

int ObjStreamWriter::AddMaterial(const SceneMaterial& material)
{
    // Material names as tokens, kept apart by a number where two would meet.
    const size_t number = materials_.size();
    const std::string base = ObjToken(GbkToUtf8(material.name), "material_" + std::to_string(number + 1));
    std::string name = base;
    for (int n = 2; !takenNames_.insert(name).second; ++n)
        name = base + "_" + std::to_string(n);
    // Texture coordinates where the material shows an image: a found one,
    // or without images the name as stored.
    bool textured = false;
    if (options_.images != nullptr)
        textured = number < options_.images->materials.size() &&
                   options_.images->materials[number].texture != SceneImages::kNone;
    else
        textured = !RelativeTexturePath(MapNamesOf(material).texture).empty();
    materials_.push_back(material);
    materialNames_.push_back(std::move(name));
    materialTextured_.push_back(textured);
    return static_cast<int>(number);
}

// The library is named once, before the first object when materials are
// known by then, or else before the first object that uses one.
void ObjStreamWriter::NameLibrary()
{
    if (libraryNamed_ || materials_.empty())
        return;
    libraryNamed_ = true;
    Put(obj_, "mtllib " + std::filesystem::path(mtlPath_).filename().string() + '\n');
}

void ObjStreamWriter::BeginMesh(const float* points, size_t pointCount, int material)
{
    if (meshOpen_)
        EndMesh();
    meshOpen_ = true;
    meshMaterial_ = static_cast<size_t>(material);
    meshTextured_ = materialTextured_[meshMaterial_];
    NameLibrary();
    Put(obj_, "o object_" + std::to_string(++objects_) + '\n');
    mesh_.Begin(points, pointCount, options_.axes, meshTextured_, *this, limits_.mergeVertexLimit);
}

void ObjStreamWriter::AddTriangles(const uint32_t* corners, size_t triangleCount)
{
    if (meshOpen_ && !failed())
        mesh_.AddTriangles(corners, triangleCount);
}

void ObjStreamWriter::AddVertices(const float* positions, const float* texCoords, size_t count)
{
    text_.clear();
    for (size_t v = 0; v < count; ++v) {
        text_ += 'v';
        for (size_t c = 0; c < 3; ++c) {
            text_ += ' ';
            PutFloat(text_, positions[v * 3 + c]);
        }
        text_ += '\n';
        if (text_.size() >= kTextBlock) {
            Put(obj_, text_);
            text_.clear();
        }
    }
    Put(obj_, text_);
    if (texCoords == nullptr)
        return;
    // OBJ's v runs up the image, glTF's down.
    text_.clear();
    for (size_t v = 0; v < count; ++v) {
        text_ += "vt ";
        PutFloat(text_, texCoords[v * 2]);
        text_ += ' ';
        PutFloat(text_, -texCoords[v * 2 + 1]);
        text_ += '\n';
        if (text_.size() >= kTextBlock) {
            Put(texCoords_, text_);
            text_.clear();
        }
    }
    Put(texCoords_, text_);
}

void ObjStreamWriter::AddIndices(const uint32_t* indices, size_t count)
{
    text_.clear();
    for (size_t t = 0; t + 3 <= count; t += 3) {
        text_ += 'f';
        for (size_t c = 0; c < 3; ++c) {
            text_ += ' ';
            PutNumber(text_, firstVertex_ + indices[t + c]);
            if (meshTextured_) {
                text_ += '/';
                PutNumber(text_, firstTexCoord_ + indices[t + c]);
            }
        }
        text_ += '\n';
        if (text_.size() >= kTextBlock) {
            Put(faces_, text_);
            text_.clear();
        }
    }
    Put(faces_, text_);
}

void ObjStreamWriter::EndMesh()
{
    if (!EndOpenMesh(mesh_, meshOpen_))
        return;
    uint64_t copied = 0;
    if (!failed() && !obj_.Append(texCoords_, nullptr, copied, 0))
        Fail(WriteFailure::Io, obj_.error());
    Put(obj_, "usemtl " + materialNames_[meshMaterial_] + '\n');
    if (!failed() && !obj_.Append(faces_, nullptr, copied, 0))
        Fail(WriteFailure::Io, obj_.error());
    if (!failed() && (!texCoords_.Clear() || !faces_.Clear()))
        Fail(WriteFailure::Io, texCoords_.good() ? faces_.error() : texCoords_.error());
    if (meshTextured_)
        firstTexCoord_ += mesh_.vertexCount();
    firstVertex_ += mesh_.vertexCount();
    stats_.triangles += mesh_.trianglesKept();
    stats_.vertices += mesh_.vertexCount();
}

bool ObjStreamWriter::Finish(ProgressSink*)
{
    EndMesh();
    if (failed())
        return false;
    // The OBJ's last bytes reach the disk before anything is renamed into
    // place: a full disk then leaves the old .mtl and images as they were.
    if (!obj_.Flush()) {
        Fail(WriteFailure::Io, obj_.error());
        return false;
    }
    SceneImages written;
    if (options_.images != nullptr) {
        written = *options_.images;
        const std::string error = WriteImagesBeside(std::filesystem::path(mtlPath_).parent_path(), written);
        if (!error.empty()) {
            Fail(WriteFailure::Io, error);
            return false;
        }
    }
    // The images found, beside the .mtl; without them, the names as stored.
    auto filesOf = [&](size_t index) -> MaterialImageFiles {
        if (options_.images == nullptr) {
            const MaterialMapNames maps = MapNamesOf(materials_[index]);
            return {RelativeTexturePath(maps.texture), RelativeTexturePath(maps.bump)};
        }
        if (index >= written.materials.size())
            return {};
        const SceneImages::Slots& slots = written.materials[index];
        auto fileName = [&](int slot) {
            return slot == SceneImages::kNone ? std::string()
                                              : written.images[static_cast<size_t>(slot)].fileName;
        };
        return {fileName(slots.texture), fileName(slots.bump)};
    };
    std::string mtlText = "# " + options_.generator + '\n';
    for (size_t i = 0; i < materials_.size(); ++i)
        PutMaterial(mtlText, materials_[i], materialNames_[i], filesOf(i));
    TemporaryFile mtl(mtlPath_);
    if (!mtl.Create() || !mtl.Write(mtlText.data(), mtlText.size())) {
        Fail(WriteFailure::Io, mtl.error());
        return false;
    }
    // The library first, so the OBJ never names one that is not there.
    if (!mtl.RenameIntoPlace()) {
        Fail(WriteFailure::Io, mtl.error());
        return false;
    }
    if (!obj_.RenameIntoPlace()) {
        Fail(WriteFailure::Io, obj_.error());
        return false;
    }
    return true;
}
