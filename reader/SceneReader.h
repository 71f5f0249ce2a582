// The reader of one import: walks a kvd scene file once, front to back, and
// hands what it reads to a destination while it reads (SceneDestination.h).
//
// The end of the input is noticed by every read. From the first short read
// on the import is over: nothing more is read, no value of the short read is
// acted on, an open mesh and the open nodes are ended, and the import tells
// the user once that the file is damaged. The same happens when records nest
// deeper than kMaxNestingDepth, so no file can drive the reader into
// unbounded recursion.
//
// The reader knows no host: it hands on the file's own records (materials,
// cameras, nodes, meshes), and its result and messages say how the import
// went.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/LargePageAllocator.h"
#include "reader/CameraRecords.h"
#include "reader/ImportResult.h"
#include "reader/InputBuffer.h"
#include "reader/MaterialRecords.h"
#include "reader/MeshRecord.h"
#include "reader/MessageSink.h"
#include "reader/NodeRecords.h"
#include "reader/SceneDestination.h"

class SceneReader {
public:
    // Sub-materials, maps and nodes together nest at most this deep; a deeper
    // file is treated as damaged. Real scenes nest a handful of levels, and
    // the bound keeps the stack small on a host thread.
    static constexpr int kMaxNestingDepth = 256;

    SceneReader(MessageSink& messages, SceneDestination& destination);
    ~SceneReader();
    SceneReader(const SceneReader&) = delete;
    SceneReader& operator=(const SceneReader&) = delete;

    // Opens, checks, imports and closes the file. A folder is a file that
    // cannot be opened.
    ImportResult ImportFile(const std::string& path);
    // The same import from bytes in memory, through the same reader.
    ImportResult ImportBytes(const uint8_t* data, size_t size);

    // Why the last ImportFile could not open its file: an errno value
    // (EISDIR for a folder), or 0.
    int openError() const { return openError_; }

    // Told how far the file has been read, once per block (nullptr: nobody).
    void SetReadProgress(ReadProgress* progress) { readProgress_ = progress; }

private:
    static constexpr size_t kTextBufferSize = 84;

    // Counts one level of recursion for as long as it lives.
    class NestingLevel {
    public:
        explicit NestingLevel(SceneReader& reader);
        ~NestingLevel() { --reader_.nestingDepth_; }
        NestingLevel(const NestingLevel&) = delete;
        NestingLevel& operator=(const NestingLevel&) = delete;
        // False when this level is one too deep; the reader is then damaged.
        bool allowed() const { return allowed_; }

    private:
        SceneReader& reader_;
        bool allowed_;
    };

    ImportResult ImportInput();
    // Nothing when the header is accepted; otherwise why it is not (the
    // message has been shown).
    std::optional<ImportResult> ReadHeader();
    void ReadSceneBody();
    void SetDefaultCamera();

    void ReadMaterialSection(MaterialList& materials);
    void ReadMaterial(MaterialList& destination);
    void ReadMap(MapList& destination);
    void ReadImageBlock(ImageBlock& block);

    void ReadNameRecord(std::string& name);
    void ReadTransform(NodeTransform& transform);

    void ReadCameraEntry();
    void ReadCamera(NodeRecord& node);
    void ReadCameraSettings();

    int ReadNode();
    void ReadMesh(NodeRecord& node);
    void ReadMaterialRef(MeshRecord& mesh);
    void EmitMeshGeometry(const MeshRecord& mesh);
    std::span<const MeshVertex> ReadVertices(int32_t vertexCount);
    void ReadVertexRun(void* out, size_t count);
    void ReadFaces(int32_t faceCount, size_t vertexCount);
    void SkipFaces(int32_t faceCount);

    // Primitives. On a short read they leave the reader damaged and the
    // destination at zero.
    uint16_t ReadTag();
    uint16_t ReadWord();
    uint32_t ReadValue();
    float ReadFloat();
    int32_t ReadInt();
    // Reads a length-prefixed string; its text (up to the first NUL, at most
    // 83 bytes, never ending in half a GBK character) is then in textBuffer.
    void ReadString();
    std::string_view Text() const;

    // Every read of the file goes through here.
    bool ReadBytes(void* dest, size_t n)
    {
        if (!damaged_ && input_ && input_->Read(dest, n))
            return true;
        return FailRead(dest, n);
    }
    bool FailRead(void* dest, size_t n);
    void ReportDamage();

    MessageSink& messages_;
    SceneDestination& destination_;
    std::FILE* file = nullptr;
    std::optional<InputBuffer> input_;
    ReadProgress* readProgress_ = nullptr;

    uint16_t currentTag = 0;
    char textBuffer[kTextBufferSize] = {};
    int32_t camerasEmitted = 0;
    // Materials of the file's list: a mesh's material index below it names one.
    size_t fileMaterialCount_ = 0;
    int openError_ = 0;
    // The vertex list of the mesh being read, when the destination offers no
    // room for it; its room is kept for the next.
    std::vector<MeshVertex, UninitialisedLargePageAllocator<MeshVertex>> vertices_;

    bool damaged_ = false;
    bool damageReported_ = false;
    int nestingDepth_ = 0;
};
