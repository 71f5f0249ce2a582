#include "tools/models/GltfModel.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>
#include <map>
#include <memory>
#include <set>
#include <sstream>

#include <nlohmann/json.hpp>
#include <tiny_gltf.h>

#include "reader/LittleEndian.h"
#include "tools/models/ModelFiles.h"
#include "tools/models/ModelImages.h"
#include "tools/models/ModelTree.h"

namespace {

using json = nlohmann::json;
using Bytes = std::vector<uint8_t>;

constexpr uint32_t kGlbMagic = 0x46546C67;    // "glTF"
constexpr uint32_t kJsonChunk = 0x4E4F534A;   // "JSON"
constexpr uint32_t kBinChunk = 0x004E4942;    // "BIN\0"
constexpr int kModeTriangles = 4;
constexpr int kModeStrip = 5;
constexpr int kModeFan = 6;

// The extensions whose absence would change the geometry; anything else a
// file requires is only about looks that a kvd scene cannot show anyway.
const std::set<std::string> kGeometryExtensions = {"KHR_draco_mesh_compression", "EXT_meshopt_compression",
                                                   "KHR_mesh_quantization"};

struct Container {
    std::string json;
    // The binary chunk of a .glb, within the file's bytes.
    std::span<const uint8_t> bin;
    bool binary = false;
};

// Splits a .glb into its chunks, or takes the bytes as a JSON document.
bool OpenContainer(std::span<const uint8_t> bytes, Container& container, std::string& error)
{
    if (bytes.size() >= 4 && LoadU32(bytes.data()) == kGlbMagic) {
        container.binary = true;
        if (bytes.size() < 20) {
            error = "the .glb ends inside its header";
            return false;
        }
        const uint32_t version = LoadU32(bytes.data() + 4);
        const uint32_t length = LoadU32(bytes.data() + 8);
        if (version != 2) {
            error = "the .glb is of version " + std::to_string(version) + ", not 2";
            return false;
        }
        if (length < 20) {
            error = "the .glb's header counts " + std::to_string(length) + " bytes, fewer than the header itself";
            return false;
        }
        if (length > bytes.size()) {
            error = "the .glb is cut short: its header counts " + std::to_string(length) + " bytes, the file has " +
                    std::to_string(bytes.size());
            return false;
        }
        const uint32_t jsonLength = LoadU32(bytes.data() + 12);
        if (LoadU32(bytes.data() + 16) != kJsonChunk || jsonLength > length - 20) {
            error = "the .glb's first chunk is not a whole JSON chunk";
            return false;
        }
        container.json.assign(reinterpret_cast<const char*>(bytes.data() + 20), jsonLength);
        const uint64_t next = 20 + uint64_t{jsonLength};
        if (next + 8 <= length && LoadU32(bytes.data() + next + 4) == kBinChunk) {
            const uint32_t binLength = LoadU32(bytes.data() + next);
            if (binLength > length - next - 8) {
                error = "the .glb is cut short inside its binary chunk";
                return false;
            }
            container.bin = bytes.subspan(next + 8, binLength);
        }
        return true;
    }
    container.json.assign(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return true;
}

// JSON nested deeper than this is no glTF document; refusing it first keeps
// every recursive walk of the document (copies, tinygltf's parse) shallow.
constexpr int kMaxJsonDepth = 128;

bool NestsTooDeep(std::string_view text)
{
    int depth = 0;
    bool inString = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > kMaxJsonDepth)
                return true;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return false;
}

bool DecodeBase64(std::string_view text, Bytes& out)
{
    auto value = [](char c) -> int {
        if (c >= 'A' && c <= 'Z')
            return c - 'A';
        if (c >= 'a' && c <= 'z')
            return c - 'a' + 26;
        if (c >= '0' && c <= '9')
            return c - '0' + 52;
        if (c == '+' || c == '-')
            return 62;
        if (c == '/' || c == '_')
            return 63;
        return -1;
    };
    while (!text.empty() && text.back() == '=')
        text.remove_suffix(1);
    out.clear();
    out.reserve(text.size() / 4 * 3 + 3);
    uint32_t group = 0;
    int bits = 0;
    for (char c : text) {
        const int v = value(c);
        if (v < 0)
            return false;
        group = (group << 6) | static_cast<uint32_t>(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<uint8_t>((group >> bits) & 0xFF));
        }
    }
    return true;
}

// "data:...;base64,..." into bytes; false when the URI is a data URI that
// cannot be decoded. isData tells whether it was one at all.
bool DecodeDataUri(const std::string& uri, Bytes& out, bool& isData)
{
    isData = uri.rfind("data:", 0) == 0;
    if (!isData)
        return true;
    const size_t comma = uri.find(',');
    if (comma == std::string::npos || uri.substr(0, comma).find(";base64") == std::string::npos)
        return false;
    return DecodeBase64(std::string_view(uri).substr(comma + 1), out);
}

std::string PercentDecoded(const std::string& uri)
{
    std::string out;
    for (size_t i = 0; i < uri.size(); ++i) {
        if (uri[i] == '%' && i + 2 < uri.size() && std::isxdigit(static_cast<unsigned char>(uri[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(uri[i + 2]))) {
            out.push_back(static_cast<char>(std::stoi(uri.substr(i + 1, 2), nullptr, 16)));
            i += 2;
        } else {
            out.push_back(uri[i]);
        }
    }
    return out;
}

// The member of an object, or null when it is not there (never inserted).
const json& Member(const json& object, const char* key)
{
    static const json kNull;
    if (!object.is_object())
        return kNull;
    auto found = object.find(key);
    return found == object.end() ? kNull : *found;
}

double Number(const json& value, double fallback)
{
    return value.is_number() ? value.get<double>() : fallback;
}

std::optional<std::array<float, 3>> ColourOf(const json& value)
{
    if (!value.is_array() || value.size() != 3)
        return std::nullopt;
    std::array<float, 3> colour{};
    for (size_t i = 0; i < 3; ++i) {
        // JSON has no NaN: kvd convert writes a component that is not a
        // number as null, and it comes back as one.
        if (value[i].is_null())
            colour[i] = std::numeric_limits<float>::quiet_NaN();
        else if (value[i].is_number())
            colour[i] = static_cast<float>(value[i].get<double>());
        else
            return std::nullopt;
    }
    return colour;
}

// What an accessor's bytes are, checked to lie within its buffer view.
struct AccessorData {
    const uint8_t* base = nullptr;   // nullptr: every value is zero
    uint64_t count = 0;
    uint64_t stride = 0;
    int componentType = 0;
    int components = 0;
    bool normalized = false;

    double Component(uint64_t element, int component) const
    {
        if (base == nullptr)
            return 0.0;
        const uint8_t* p = base + element * stride;
        switch (componentType) {
        case TINYGLTF_COMPONENT_TYPE_FLOAT: return LoadF32(p + 4 * component);
        case TINYGLTF_COMPONENT_TYPE_BYTE: {
            const double v = static_cast<int8_t>(p[component]);
            return normalized ? std::max(v / 127.0, -1.0) : v;
        }
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: {
            const double v = p[component];
            return normalized ? v / 255.0 : v;
        }
        case TINYGLTF_COMPONENT_TYPE_SHORT: {
            const double v = static_cast<int16_t>(LoadU16(p + 2 * component));
            return normalized ? std::max(v / 32767.0, -1.0) : v;
        }
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: {
            const double v = LoadU16(p + 2 * component);
            return normalized ? v / 65535.0 : v;
        }
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT: return LoadU32(p + 4 * component);
        default: return 0.0;
        }
    }

    uint32_t Index(uint64_t element) const
    {
        if (base == nullptr)
            return 0;
        const uint8_t* p = base + element * stride;
        switch (componentType) {
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: return p[0];
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: return LoadU16(p);
        default: return LoadU32(p);
        }
    }
};

// A triangle primitive of a glTF mesh.
class PrimitiveMesh final : public SourceMesh {
public:
    PrimitiveMesh(AccessorData positions, std::optional<AccessorData> indices, int mode)
        : positions_(positions), indices_(indices), mode_(mode)
    {
    }

    uint64_t pointCount() const override { return positions_.count; }

    void ReadPoints(uint64_t first, size_t count, double* xyz) const override
    {
        for (size_t i = 0; i < count; ++i) {
            for (int c = 0; c < 3; ++c)
                xyz[3 * i + static_cast<size_t>(c)] = positions_.Component(first + i, c);
        }
    }

    uint64_t triangleCount() const override
    {
        const uint64_t n = cornerCount();
        if (mode_ == kModeTriangles)
            return n / 3;
        return n >= 3 ? n - 2 : 0;
    }

    void ReadTriangles(uint64_t first, size_t count, uint32_t* corners) const override
    {
        for (size_t i = 0; i < count; ++i) {
            const uint64_t t = first + i;
            uint64_t a = 0;
            uint64_t b = 0;
            uint64_t c = 0;
            if (mode_ == kModeTriangles) {
                a = 3 * t;
                b = a + 1;
                c = a + 2;
            } else if (mode_ == kModeStrip) {
                // Every other triangle of a strip turns the other way round.
                a = t;
                b = t + 1 + t % 2;
                c = t + 2 - t % 2;
            } else {
                a = t + 1;
                b = t + 2;
                c = 0;
            }
            corners[3 * i] = Corner(a);
            corners[3 * i + 1] = Corner(b);
            corners[3 * i + 2] = Corner(c);
        }
    }

private:
    uint64_t cornerCount() const { return indices_ ? indices_->count : positions_.count; }
    uint32_t Corner(uint64_t n) const
    {
        if (indices_)
            return indices_->Index(n);
        return n <= UINT32_MAX ? static_cast<uint32_t>(n) : UINT32_MAX;
    }

    AccessorData positions_;
    std::optional<AccessorData> indices_;
    int mode_;
};

class EmptyMesh final : public SourceMesh {
public:
    uint64_t pointCount() const override { return 0; }
    void ReadPoints(uint64_t, size_t, double*) const override {}
    uint64_t triangleCount() const override { return 0; }
    void ReadTriangles(uint64_t, size_t, uint32_t*) const override {}
};

class GltfReader final : public ModelTreeSource {
public:
    GltfReader(std::shared_ptr<const Bytes> file, std::filesystem::path folder)
        : file_(std::move(file)), folder_(std::move(folder))
    {
    }

    ModelReadResult Read()
    {
        ModelReadResult result;
        if (!Parse(result.error))
            return result;
        model_.keepAlive.push_back(std::const_pointer_cast<Bytes>(file_));
        LoadBuffers();
        ReadMaterials();
        ReadScene();
        result.model = std::move(model_);
        return result;
    }

private:
    bool Parse(std::string& error)
    {
        Container container;
        if (!OpenContainer(*file_, container, error))
            return false;
        bin_ = container.bin;
        binary_ = container.binary;
        if (NestsTooDeep(container.json)) {
            error = "not a glTF document: its JSON nests deeper than " + std::to_string(kMaxJsonDepth) + " levels";
            return false;
        }
        document_ = json::parse(container.json, nullptr, false);
        if (document_.is_discarded() || !document_.is_object()) {
            error = "not a glTF document: its JSON cannot be read";
            return false;
        }
        const json& version = Member(Member(document_, "asset"), "version");
        if (!version.is_string() || version.get<std::string>().rfind("2.", 0) != 0) {
            error = "not a glTF 2.0 document (its asset.version is not 2.x)";
            return false;
        }
        // What tinygltf lets pass: the top-level lists must be lists of objects.
        for (const char* key : {"scenes", "nodes", "meshes", "accessors", "bufferViews", "buffers", "materials",
                                "textures", "images", "cameras", "samplers", "skins", "animations"}) {
            const json& list = Member(document_, key);
            if (!list.is_null() && (!list.is_array() || !std::all_of(list.begin(), list.end(), [](const json& item) {
                                        return item.is_object();
                                    }))) {
                error = std::string("not a valid glTF document: \"") + key + "\" is not a list of objects";
                return false;
            }
        }
        const json& required = Member(document_, "extensionsRequired");
        if (required.is_array()) {
            for (const json& name : required) {
                if (name.is_string() && name.get<std::string>() != "KHR_mesh_quantization" &&
                    kGeometryExtensions.count(name.get<std::string>()) > 0) {
                    error = "the document needs " + name.get<std::string>() +
                            " to be read, which kvd convert does not read";
                    return false;
                }
            }
        }
        // The buffers and images are read here, not by tinygltf, which
        // would copy every byte of them and decode the images.
        json stripped = document_;
        stripped.erase("buffers");
        stripped.erase("images");
        const std::string text = stripped.dump();
        tinygltf::TinyGLTF loader;
        std::string warnings;
        std::string parseError;
        if (!loader.LoadASCIIFromString(&gltf_, &parseError, &warnings, text.c_str(),
                                        static_cast<unsigned int>(text.size()), "", tinygltf::REQUIRE_VERSION)) {
            while (!parseError.empty() && parseError.back() == '\n')
                parseError.pop_back();
            error = "not a valid glTF document: " + (parseError.empty() ? std::string("tinygltf refused it") : parseError);
            return false;
        }
        return true;
    }

    void LoadBuffers()
    {
        const json& buffers = Member(document_, "buffers");
        if (!buffers.is_array())
            return;
        for (size_t i = 0; i < buffers.size(); ++i) {
            const json& buffer = buffers[i];
            const std::string name = "buffer " + std::to_string(i);
            std::span<const uint8_t> data;
            if (!Member(buffer, "byteLength").is_number_unsigned()) {
                model_.Damage(name + " has no byteLength; what it holds is left out");
                buffers_.emplace_back();
                continue;
            }
            const uint64_t byteLength = Member(buffer, "byteLength").get<uint64_t>();
            const json& uriValue = Member(buffer, "uri");
            if (uriValue.is_null()) {
                if (!binary_ || i != 0 || bin_.empty())
                    model_.Damage(name + " has no URI and no binary chunk to hold it; what it holds is left out");
                else
                    data = bin_;
            } else if (!uriValue.is_string()) {
                model_.Damage(name + "'s URI is not a text; what it holds is left out");
            } else {
                const std::string uri = uriValue.get<std::string>();
                auto owned = std::make_shared<Bytes>();
                bool isData = false;
                if (!DecodeDataUri(uri, *owned, isData)) {
                    model_.Damage(name + "'s data URI cannot be decoded; what it holds is left out");
                } else if (isData) {
                    data = *owned;
                    model_.keepAlive.push_back(owned);
                } else {
                    std::string why;
                    const std::filesystem::path path = RelativeFile(PercentDecoded(uri), why);
                    if (path.empty() || !ReadWholeFile(path, *owned, why)) {
                        model_.Damage(name + " (" + uri + ") cannot be read: " + why + "; what it holds is left out");
                    } else {
                        data = *owned;
                        model_.keepAlive.push_back(owned);
                    }
                }
            }
            if (!data.empty() && data.size() < byteLength) {
                model_.Damage(name + " holds " + std::to_string(data.size()) + " bytes, fewer than its byteLength " +
                              std::to_string(byteLength) + "; what lies past them is left out");
            }
            buffers_.push_back(data.subspan(0, std::min<uint64_t>(data.size(), byteLength)));
        }
    }

    // A URI's file within the document's folder; a name that leaves the
    // folder, or an input with no folder, has none.
    std::filesystem::path RelativeFile(const std::string& name, std::string& why) const
    {
        if (folder_.empty()) {
            why = "no folder to look in";
            return {};
        }
        const std::filesystem::path relative = std::filesystem::path(name).lexically_normal();
        if (name.empty() || relative.is_absolute() || relative.has_root_name() ||
            (!relative.empty() && *relative.begin() == "..")) {
            why = "the name leads outside the document's folder";
            return {};
        }
        return folder_ / relative;
    }

    // The bytes of a buffer view, or nothing (with the damage said) when it
    // is not there or does not lie within its buffer.
    std::optional<std::span<const uint8_t>> ViewBytes(int index, const std::string& user)
    {
        if (index < 0 || static_cast<size_t>(index) >= gltf_.bufferViews.size()) {
            model_.Damage(user + " names buffer view " + std::to_string(index) + ", which is not there");
            return std::nullopt;
        }
        const tinygltf::BufferView& view = gltf_.bufferViews[static_cast<size_t>(index)];
        if (view.buffer < 0 || static_cast<size_t>(view.buffer) >= buffers_.size() ||
            buffers_[static_cast<size_t>(view.buffer)].empty()) {
            model_.Damage(user + " reads buffer " + std::to_string(view.buffer) + ", which cannot be read");
            return std::nullopt;
        }
        const std::span<const uint8_t> buffer = buffers_[static_cast<size_t>(view.buffer)];
        if (view.byteOffset > buffer.size() || view.byteLength > buffer.size() - view.byteOffset) {
            model_.Damage(user + " reads buffer view " + std::to_string(index) + ", which runs past its buffer");
            return std::nullopt;
        }
        return buffer.subspan(view.byteOffset, view.byteLength);
    }

    // The accessor checked against its bytes; nothing (with the damage
    // said) when it is not what the use needs or not all there.
    std::optional<AccessorData> Accessor(int index, bool indices, const std::string& user)
    {
        if (index < 0 || static_cast<size_t>(index) >= gltf_.accessors.size()) {
            model_.Damage(user + " names accessor " + std::to_string(index) + ", which is not there");
            return std::nullopt;
        }
        const tinygltf::Accessor& accessor = gltf_.accessors[static_cast<size_t>(index)];
        const std::string what = user + " (accessor " + std::to_string(index) + ")";
        if (accessor.sparse.isSparse) {
            model_.Damage(what + " is sparse, which kvd convert does not read");
            return std::nullopt;
        }
        AccessorData data;
        data.componentType = accessor.componentType;
        data.normalized = accessor.normalized;
        data.count = accessor.count;
        const int componentSize = tinygltf::GetComponentSizeInBytes(static_cast<uint32_t>(accessor.componentType));
        if (indices) {
            const bool ok = accessor.type == TINYGLTF_TYPE_SCALAR &&
                            (accessor.componentType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE ||
                             accessor.componentType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT ||
                             accessor.componentType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT);
            if (!ok) {
                model_.Damage(what + " is not a list of unsigned whole numbers");
                return std::nullopt;
            }
            data.components = 1;
        } else {
            const bool ok = accessor.type == TINYGLTF_TYPE_VEC3 && componentSize > 0 &&
                            accessor.componentType != TINYGLTF_COMPONENT_TYPE_DOUBLE &&
                            accessor.componentType != TINYGLTF_COMPONENT_TYPE_INT;
            if (!ok) {
                model_.Damage(what + " is not a list of three-number points");
                return std::nullopt;
            }
            data.components = 3;
        }
        if (accessor.bufferView < 0) {
            // Every value zero: a count the file itself cannot account for
            // would only cost memory and time.
            if (accessor.count > file_->size()) {
                model_.Damage(what + " counts " + std::to_string(accessor.count) +
                              " elements without any data, more than the file has bytes");
                return std::nullopt;
            }
            return data;
        }
        // A view that is not there, or runs past its buffer, is damage even
        // for an accessor that reads nothing of it.
        const std::optional<std::span<const uint8_t>> found = ViewBytes(accessor.bufferView, what);
        if (!found)
            return std::nullopt;
        const std::span<const uint8_t> view = *found;
        const uint64_t elementSize = uint64_t(componentSize) * uint64_t(data.components);
        const int viewStride = gltf_.bufferViews[static_cast<size_t>(accessor.bufferView)].byteStride;
        data.stride = viewStride > 0 ? static_cast<uint64_t>(viewStride) : elementSize;
        if (data.stride < elementSize) {
            model_.Damage(what + " has elements wider than its stride");
            return std::nullopt;
        }
        if (accessor.count > 0) {
            // offset + stride * (count - 1) + element size, without overflow.
            const uint64_t offset = accessor.byteOffset;
            const uint64_t last = accessor.count - 1;
            if (offset > view.size() || last > (view.size() - offset) / data.stride ||
                elementSize > view.size() - offset - last * data.stride) {
                model_.Damage(what + " counts " + std::to_string(accessor.count) +
                              " elements, more than its buffer view holds");
                return std::nullopt;
            }
            data.base = view.data() + offset;
        }
        return data;
    }

    void ReadMaterials()
    {
        materialNumber_.assign(gltf_.materials.size(), -1);
    }

    // The kvd material of a glTF material, made when a mesh first uses it;
    // the mesh gets it, or its own colour for a material kvd convert made
    // from a mesh's own colour.
    void UseMaterial(int index, kvdfile::MeshHead& head)
    {
        if (index < 0 || static_cast<size_t>(index) >= gltf_.materials.size()) {
            if (index >= 0)
                model_.Damage("a primitive names material " + std::to_string(index) + ", which is not there");
            head.material = kvdfile::MeshHead::kOwnColour;
            head.colour = kNoMaterialColour;
            return;
        }
        const tinygltf::Material& source = gltf_.materials[static_cast<size_t>(index)];
        const json& extras = MaterialExtras(index);
        // A mesh's own colour, as kvd convert writes it: the host builds the
        // surface from the mesh's name and this colour.
        const bool ownColour = Member(extras, "ownColour") == true ||
                               Number(Member(extras, "shadeCode"), 0) == kOwnColourShade;
        if (ownColour) {
            if (auto colour = ColourOf(Member(extras, "diffuseColor"))) {
                head.material = kvdfile::MeshHead::kOwnColour;
                head.colour = *colour;
                head.name = source.name;
                return;
            }
        }
        int& number = materialNumber_[static_cast<size_t>(index)];
        if (number < 0) {
            number = static_cast<int>(model_.scene.materials.size());
            model_.scene.materials.push_back(MakeMaterial(index, source, extras));
        }
        head.material = number;
    }

    const json& MaterialExtras(int index) const
    {
        static const json kNone;
        const json& materials = Member(document_, "materials");
        if (!materials.is_array() || static_cast<size_t>(index) >= materials.size())
            return kNone;
        return Member(materials[static_cast<size_t>(index)], "extras");
    }

    kvdfile::MaterialToWrite MakeMaterial(int index, const tinygltf::Material& source, const json& extras)
    {
        kvdfile::MaterialToWrite material;
        material.name = source.name.empty() ? "material " + std::to_string(index) : source.name;
        const auto& pbr = source.pbrMetallicRoughness;
        // A factor that is not a number counts as glTF's default for it.
        auto unit = [](double value, double fallback) {
            return static_cast<float>(std::isfinite(value) ? std::clamp(value, 0.0, 1.0) : fallback);
        };
        std::array<float, 3> base{};
        for (size_t c = 0; c < 3; ++c)
            base[c] = unit(c < pbr.baseColorFactor.size() ? pbr.baseColorFactor[c] : 1.0, 1.0);
        const auto ambient = ColourOf(Member(extras, "ambientColor"));
        const auto diffuse = ColourOf(Member(extras, "diffuseColor"));
        const auto specular = ColourOf(Member(extras, "specularColor"));
        if (ambient && diffuse && specular) {
            // Made by kvd convert: the host's colours as the file stored them.
            material.ambient = *ambient;
            material.diffuse = *diffuse;
            material.specular = *specular;
            material.shininess = static_cast<float>(Number(Member(extras, "scalar1"), 0.0));
            AddStoredMaps(material, extras);
        } else {
            // The base colour lit and in shadow alike; a highlight as bright
            // as the surface is smooth, tinted by the colour for a metal.
            const float roughness = unit(pbr.roughnessFactor, 1.0);
            const float metallic = unit(pbr.metallicFactor, 1.0);
            material.ambient = base;
            material.diffuse = base;
            for (size_t c = 0; c < 3; ++c)
                material.specular[c] = (1.0f - roughness) * ((1.0f - metallic) + metallic * base[c]);
            material.shininess = 100.0f * (1.0f - roughness);
        }
        const size_t number = model_.scene.materials.size();
        if (pbr.baseColorTexture.index >= 0)
            AddTextureMap(number, pbr.baseColorTexture.index, kvdfile::MapRole::Colour, StoredText(extras, "firstTexture"));
        // kvd convert keeps a bump image as a texture named in the extras.
        const json& bump = Member(Member(extras, "bumpTexture"), "index");
        if (bump.is_number_integer())
            AddTextureMap(number, bump.get<int>(), kvdfile::MapRole::Bump, StoredText(extras, "secondTexture"));
        return material;
    }

    // The map names a material made by kvd convert stored, as they were.
    void AddStoredMaps(kvdfile::MaterialToWrite& material, const json& extras)
    {
        const std::string hostTexture = StoredText(extras, "hostFirstTexture");
        const std::string texture = StoredText(extras, "firstTexture");
        const std::string hostBump = StoredText(extras, "hostSecondTexture");
        const std::string bump = StoredText(extras, "secondTexture");
        // The host shows the last map of a role whose name it can show; the
        // tool shows the last of any name. Both come back when they differ.
        if (!hostTexture.empty() && hostTexture != texture)
            material.maps.push_back({kvdfile::MapRole::Colour, hostTexture});
        if (!texture.empty())
            material.maps.push_back({kvdfile::MapRole::Colour, texture});
        if (!hostBump.empty() && hostBump != bump)
            material.maps.push_back({kvdfile::MapRole::Bump, hostBump});
        if (!bump.empty())
            material.maps.push_back({kvdfile::MapRole::Bump, bump});
    }

    static std::string StoredText(const json& extras, const char* key)
    {
        const json& value = Member(extras, key);
        return value.is_string() ? value.get<std::string>() : std::string();
    }

    // A map of the material showing the texture's image. A stored name (of a
    // material kvd convert made) is already among the material's maps: the
    // image only goes beside the kvd file under its file name.
    void AddTextureMap(size_t material, int texture, kvdfile::MapRole role, const std::string& storedName)
    {
        if (texture < 0 || static_cast<size_t>(texture) >= gltf_.textures.size()) {
            model_.Damage("a material names texture " + std::to_string(texture) + ", which is not there");
            return;
        }
        const int source = gltf_.textures[static_cast<size_t>(texture)].source;
        const std::optional<size_t> image = Image(source);
        if (image)
            model_.imageMaps.push_back({material, *image, role, storedName});
    }

    // The model image of a glTF image, read once however many textures show it.
    std::optional<size_t> Image(int index)
    {
        const json& images = Member(document_, "images");
        if (index < 0 || !images.is_array() || static_cast<size_t>(index) >= images.size()) {
            model_.Damage("a texture names image " + std::to_string(index) + ", which is not there");
            return std::nullopt;
        }
        auto known = imageNumber_.find(index);
        if (known != imageNumber_.end())
            return known->second;
        std::optional<size_t>& number = imageNumber_[index];
        const json& entry = images[static_cast<size_t>(index)];
        const std::string what = "image " + std::to_string(index);
        const json& name = Member(entry, "name");
        const json& view = Member(entry, "bufferView");
        const json& uri = Member(entry, "uri");
        std::optional<ModelImage> image;
        if (view.is_number_integer()) {
            const std::optional<std::span<const uint8_t>> bytes = ViewBytes(view.get<int>(), what);
            if (!bytes || bytes->empty())
                return std::nullopt;
            ModelImage made;
            made.bytes.assign(bytes->begin(), bytes->end());
            made.name = name.is_string() ? name.get<std::string>() : "image" + std::to_string(index);
            made.origin = what + " of the document";
            image = std::move(made);
        } else if (uri.is_string()) {
            ModelImage made;
            bool isData = false;
            if (!DecodeDataUri(uri.get<std::string>(), made.bytes, isData)) {
                model_.Damage(what + "'s data URI cannot be decoded; left out");
                return std::nullopt;
            }
            if (isData) {
                made.name = name.is_string() ? name.get<std::string>() : "image" + std::to_string(index);
                made.origin = what + " of the document";
                image = std::move(made);
            } else if (!folder_.empty()) {
                image = LoadModelImage(folder_, PercentDecoded(uri.get<std::string>()), model_);
            }
        } else {
            model_.Damage(what + " has neither a URI nor a buffer view; left out");
        }
        if (!image)
            return std::nullopt;
        number = model_.images.size();
        model_.images.push_back(std::move(*image));
        return number;
    }

    // The matrix of a node's own transform.
    static Matrix4 LocalMatrix(const tinygltf::Node& node)
    {
        if (node.matrix.size() == 16) {
            Matrix4 m{};
            std::copy(node.matrix.begin(), node.matrix.end(), m.begin());
            return m;
        }
        Matrix4 m = kIdentity;
        if (node.rotation.size() == 4) {
            double x = node.rotation[0];
            double y = node.rotation[1];
            double z = node.rotation[2];
            double w = node.rotation[3];
            const double length = std::sqrt(x * x + y * y + z * z + w * w);
            if (length > 0.0 && std::isfinite(length)) {
                x /= length;
                y /= length;
                z /= length;
                w /= length;
            }
            m = {1 - 2 * (y * y + z * z), 2 * (x * y + z * w), 2 * (x * z - y * w), 0,
                 2 * (x * y - z * w), 1 - 2 * (x * x + z * z), 2 * (y * z + x * w), 0,
                 2 * (x * z + y * w), 2 * (y * z - x * w), 1 - 2 * (x * x + y * y), 0,
                 0, 0, 0, 1};
        }
        if (node.scale.size() == 3) {
            for (size_t column = 0; column < 3; ++column) {
                for (size_t row = 0; row < 3; ++row)
                    m[column * 4 + row] *= node.scale[column];
            }
        }
        if (node.translation.size() == 3) {
            m[12] = node.translation[0];
            m[13] = node.translation[1];
            m[14] = node.translation[2];
        }
        return m;
    }

    static bool IsIdentityTransform(const tinygltf::Node& node)
    {
        if (node.matrix.size() == 16)
            return std::equal(node.matrix.begin(), node.matrix.end(), kIdentity.begin());
        // Parts of the wrong size are not used (the damage is said in Visit).
        const bool translation = node.translation.size() != 3 ||
                                 (node.translation[0] == 0 && node.translation[1] == 0 && node.translation[2] == 0);
        const bool rotation = node.rotation.size() != 4 || (node.rotation[0] == 0 && node.rotation[1] == 0 &&
                                                            node.rotation[2] == 0 && node.rotation[3] == 1);
        const bool scale = node.scale.size() != 3 || (node.scale[0] == 1 && node.scale[1] == 1 && node.scale[2] == 1);
        return translation && rotation && scale;
    }

    std::vector<int> SceneRoots()
    {
        const int scene = gltf_.defaultScene >= 0 ? gltf_.defaultScene : (gltf_.scenes.empty() ? -1 : 0);
        if (scene >= 0 && static_cast<size_t>(scene) < gltf_.scenes.size())
            return gltf_.scenes[static_cast<size_t>(scene)].nodes;
        if (scene >= 0)
            model_.Damage("the default scene " + std::to_string(scene) + " is not there; every top node is converted");
        // No scene: every node that is no node's child.
        std::vector<bool> child(gltf_.nodes.size(), false);
        for (const tinygltf::Node& node : gltf_.nodes) {
            for (int c : node.children) {
                if (c >= 0 && static_cast<size_t>(c) < child.size())
                    child[static_cast<size_t>(c)] = true;
            }
        }
        std::vector<int> roots;
        for (size_t i = 0; i < gltf_.nodes.size(); ++i) {
            if (!child[i])
                roots.push_back(static_cast<int>(i));
        }
        return roots;
    }

    void ReadScene()
    {
        BuildModelTree(*this, SceneRoots(), model_);
        if (model_.instances.empty() && !gltf_.meshes.empty())
            model_.Warn("the scene shows none of the document's meshes");
    }

    size_t nodeCount() const override { return gltf_.nodes.size(); }
    const std::vector<int>& Children(int node) const override { return gltf_.nodes[static_cast<size_t>(node)].children; }
    bool Local(int node, Matrix4& local) const override
    {
        const tinygltf::Node& source = gltf_.nodes[static_cast<size_t>(node)];
        if (IsIdentityTransform(source))
            return false;
        local = LocalMatrix(source);
        return true;
    }
    std::string Name(int node) const override { return NodeName(node, gltf_.nodes[static_cast<size_t>(node)]); }
    std::vector<kvdfile::NodeToWrite> Visit(int index, const Matrix4& world, bool identity) override
    {
        const tinygltf::Node& node = gltf_.nodes[static_cast<size_t>(index)];
        const std::string name = NodeName(index, node);
        if ((!node.matrix.empty() && node.matrix.size() != 16) || (!node.translation.empty() && node.translation.size() != 3) ||
            (!node.rotation.empty() && node.rotation.size() != 4) || (!node.scale.empty() && node.scale.size() != 3))
            model_.Damage("node " + std::to_string(index) +
                          " has a transform part of the wrong length; that part is not applied");
        if (node.camera >= 0)
            AddCamera(node, name, world);
        if (node.mesh < 0)
            return EmptyMeshNode(node, name);
        return MeshNodes(node.mesh, name, world, identity);
    }

    std::string NodeName(int index, const tinygltf::Node& node) const
    {
        if (!node.name.empty())
            return node.name;
        if (node.mesh >= 0 && static_cast<size_t>(node.mesh) < gltf_.meshes.size() &&
            !gltf_.meshes[static_cast<size_t>(node.mesh)].name.empty())
            return gltf_.meshes[static_cast<size_t>(node.mesh)].name;
        return "node " + std::to_string(index);
    }

    // kvd convert keeps an object without triangles as a node naming its
    // material: the host gets it back as an empty object in that material.
    std::vector<kvdfile::NodeToWrite> EmptyMeshNode(const tinygltf::Node& node, const std::string& name)
    {
        if (!node.extras.IsObject() || !node.extras.Has("emptyMeshMaterial") ||
            !node.extras.Get("emptyMeshMaterial").IsInt())
            return {};
        MeshInstance instance;
        if (emptyMesh_ == nullptr) {
            model_.meshes.push_back(std::make_unique<EmptyMesh>());
            emptyMesh_ = model_.meshes.back().get();
        }
        instance.mesh = emptyMesh_;
        instance.head.name = name;
        UseMaterial(node.extras.Get("emptyMeshMaterial").GetNumberAsInt(), instance.head);
        kvdfile::NodeToWrite meshNode;
        meshNode.name = name;
        meshNode.mesh = static_cast<int64_t>(model_.instances.size());
        model_.instances.push_back(std::move(instance));
        return {std::move(meshNode)};
    }

    std::vector<kvdfile::NodeToWrite> MeshNodes(int meshIndex, const std::string& name, const Matrix4& world,
                                                bool identity)
    {
        std::vector<kvdfile::NodeToWrite> nodes;
        if (static_cast<size_t>(meshIndex) >= gltf_.meshes.size()) {
            model_.Damage("a node names mesh " + std::to_string(meshIndex) + ", which is not there");
            return nodes;
        }
        const tinygltf::Mesh& mesh = gltf_.meshes[static_cast<size_t>(meshIndex)];
        for (size_t p = 0; p < mesh.primitives.size(); ++p) {
            const SourceMesh* source = Primitive(meshIndex, p);
            if (source == nullptr)
                continue;
            MeshInstance instance;
            instance.mesh = source;
            instance.world = world;
            instance.identity = identity;
            instance.head.name = name;
            UseMaterial(mesh.primitives[p].material, instance.head);
            kvdfile::NodeToWrite node;
            node.name = name;
            node.mesh = static_cast<int64_t>(model_.instances.size());
            model_.instances.push_back(std::move(instance));
            nodes.push_back(std::move(node));
        }
        return nodes;
    }

    // The source mesh of a primitive, made once however many nodes show it;
    // nullptr for a primitive that is not triangles or cannot be read.
    const SourceMesh* Primitive(int meshIndex, size_t p)
    {
        const auto key = std::make_pair(meshIndex, p);
        auto found = primitiveMeshes_.find(key);
        if (found != primitiveMeshes_.end())
            return found->second;
        const SourceMesh* made = MakePrimitive(meshIndex, p);
        primitiveMeshes_[key] = made;
        return made;
    }

    const SourceMesh* MakePrimitive(int meshIndex, size_t p)
    {
        const tinygltf::Primitive& primitive = gltf_.meshes[static_cast<size_t>(meshIndex)].primitives[p];
        const std::string user = "mesh " + std::to_string(meshIndex) + " primitive " + std::to_string(p);
        if (primitive.mode >= 0 && primitive.mode < kModeTriangles) {
            model_.Warn("points and lines are left out: a kvd scene holds triangles only");
            return nullptr;
        }
        if (primitive.mode > kModeFan) {
            model_.Damage(user + " has the unknown mode " + std::to_string(primitive.mode) + "; left out");
            return nullptr;
        }
        if (primitive.extensions.count("KHR_draco_mesh_compression") > 0) {
            model_.Damage(user + " is compressed (KHR_draco_mesh_compression), which kvd convert does not read; left out");
            return nullptr;
        }
        auto position = primitive.attributes.find("POSITION");
        if (position == primitive.attributes.end()) {
            model_.Damage(user + " has no points (POSITION); left out");
            return nullptr;
        }
        const std::optional<AccessorData> points = Accessor(position->second, false, user);
        if (!points)
            return nullptr;
        std::optional<AccessorData> indices;
        if (primitive.indices >= 0) {
            indices = Accessor(primitive.indices, true, user + "'s indices");
            if (!indices)
                return nullptr;
        }
        const int mode = primitive.mode < 0 ? kModeTriangles : primitive.mode;
        model_.meshes.push_back(std::make_unique<PrimitiveMesh>(*points, indices, mode));
        return model_.meshes.back().get();
    }

    void AddCamera(const tinygltf::Node& node, const std::string& name, const Matrix4& world)
    {
        if (static_cast<size_t>(node.camera) >= gltf_.cameras.size()) {
            model_.Damage("a node names camera " + std::to_string(node.camera) + ", which is not there");
            return;
        }
        const tinygltf::Camera& source = gltf_.cameras[static_cast<size_t>(node.camera)];
        if (source.type != "perspective") {
            model_.Warn("orthographic cameras are left out: the host's cameras are all perspective");
            return;
        }
        ModelCamera camera;
        // The node's name is the one a modelling program shows for the camera.
        camera.name = !node.name.empty() ? node.name : !source.name.empty() ? source.name : name;
        camera.world = world;
        const double aspect = source.perspective.aspectRatio > 0 ? source.perspective.aspectRatio : 4.0 / 3.0;
        camera.horizontalFovDegrees =
            2.0 * std::atan(std::tan(source.perspective.yfov / 2.0) * aspect) * 180.0 / 3.14159265358979323846;
        // kvd convert keeps the host camera's target in the node's extras.
        if (node.extras.IsObject() && node.extras.Has("target")) {
            const tinygltf::Value& target = node.extras.Get("target");
            if (target.IsArray() && target.ArrayLen() == 3 && target.Get(0).IsNumber() && target.Get(1).IsNumber() &&
                target.Get(2).IsNumber())
                camera.storedTarget = {target.Get(0).GetNumberAsDouble(), target.Get(1).GetNumberAsDouble(),
                                       target.Get(2).GetNumberAsDouble()};
        }
        model_.cameras.push_back(std::move(camera));
    }

    static constexpr std::array<float, 3> kNoMaterialColour{0.8f, 0.8f, 0.8f};
    static constexpr double kOwnColourShade = 30;

    std::shared_ptr<const Bytes> file_;
    std::filesystem::path folder_;
    std::span<const uint8_t> bin_;
    bool binary_ = false;
    json document_;
    tinygltf::Model gltf_;
    ModelScene model_;
    std::vector<std::span<const uint8_t>> buffers_;
    std::vector<int> materialNumber_;
    std::map<int, std::optional<size_t>> imageNumber_;
    std::map<std::pair<int, size_t>, const SourceMesh*> primitiveMeshes_;
    const SourceMesh* emptyMesh_ = nullptr;   // owned by model_.meshes
};

}  // namespace

ModelReadResult ReadGltfBytes(std::span<const uint8_t> bytes, const std::filesystem::path& folder)
{
    auto file = std::make_shared<const Bytes>(bytes.begin(), bytes.end());
    return GltfReader(std::move(file), folder).Read();
}

ModelReadResult ReadGltfFile(const std::filesystem::path& path)
{
    auto file = std::make_shared<Bytes>();
    std::string why;
    if (!ReadWholeFile(path, *file, why))
        return {std::nullopt, why};
    return GltfReader(std::move(file), path.parent_path().empty() ? "." : path.parent_path()).Read();
}
