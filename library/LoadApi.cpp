// Loading a scene into a handle: from a file, from memory, or streamed mesh
// by mesh. The import itself is the kvd tool's (SceneImport.h).
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/GbkText.h"
#include "library/ApiResult.h"
#include "library/ItemViews.h"
#include "library/SceneLoader.h"
#include "library/Utf8Path.h"
#include "tools/scene/SceneImport.h"

namespace {

// Thrown through the reader when the streaming callback asks to stop.
struct StreamStopped {};

// Validates the options and says where images are looked for.
bool FoldersOf(const kvd_load_options* options, ImageFolders& folders)
{
    if (options == nullptr)
        return true;
    if (options->texture_folder_count > 0 && options->texture_folders == nullptr)
        return false;
    for (size_t i = 0; i < options->texture_folder_count; ++i) {
        if (options->texture_folders[i] == nullptr)
            return false;
        folders.extra.push_back(PathFromUtf8(options->texture_folders[i]));
    }
    return true;
}

kvd_result ResultOf(ImportResult result)
{
    switch (result) {
    case ImportResult::Imported:
        return KVD_OK;
    case ImportResult::BodyDamaged:
        return KVD_DAMAGED;
    case ImportResult::CannotOpen:
        return KVD_CANNOT_OPEN;
    case ImportResult::NotKvdFile:
        return KVD_NOT_KVD_FILE;
    case ImportResult::HeaderDamaged:
    case ImportResult::Declined:   // no destination of the library declines
        break;
    }
    return KVD_HEADER_DAMAGED;
}

// Hands the loaded scene over, or says why there is none.
kvd_result Finish(std::unique_ptr<kvd_scene> loaded, const ImportReport& report, const std::string& source,
                  kvd_scene** scene, kvd_error* error)
{
    const kvd_result result = ResultOf(report.result);
    switch (result) {
    case KVD_OK:
    case KVD_DAMAGED:
        break;
    case KVD_CANNOT_OPEN:
        return Report(error, result, "cannot open " + source + ": " + report.openError);
    default:
        return Report(error, result, source + ": " + kvd_result_text(result));
    }
    loaded->result = result;
    for (const ImportMessage message : report.messages)
        loaded->messages.push_back({message, GbkToUtf8(MessageText(message))});
    if (scene != nullptr)
        *scene = loaded.release();
    if (result == KVD_DAMAGED)
        return Report(error, result, source + ": " + kvd_result_text(result) +
                                         "; what was read before the damage is kept");
    return Succeed(error);
}

kvd_result Refuse(kvd_error* error, const char* what)
{
    return Report(error, KVD_INVALID_ARGUMENT, what);
}

#ifdef _WIN32
// The reader opens files by narrow names, which Windows reads in its code
// page: a UTF-8 path with other characters is read through its wide name,
// into memory.
ImportReport ImportPath(const char* path, SceneDestination& destination)
{
    if (std::all_of(path, path + std::strlen(path), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return ImportScene(path, destination, nullptr);
    ImportReport report;
    std::FILE* file = _wfopen(PathFromUtf8(path).c_str(), L"rb");
    if (file == nullptr) {
        report.openError = OpenErrorText(errno);
        return report;
    }
    std::vector<uint8_t> bytes;
    uint8_t block[1 << 16];
    for (size_t got; (got = std::fread(block, 1, sizeof block, file)) > 0;)
        bytes.insert(bytes.end(), block, block + got);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        report.openError = "the file cannot be read";
        return report;
    }
    return ImportSceneBytes(bytes.data(), bytes.size(), destination);
}
#else
ImportReport ImportPath(const char* path, SceneDestination& destination)
{
    return ImportScene(path, destination, nullptr);
}
#endif

// A load of the file at path into a new scene: sink, when given, makes it
// a streamed one. Throws StreamStopped when the sink asks to stop.
kvd_result LoadFile(const char* path, const kvd_load_options* options, MeshSink sink, kvd_scene** scene,
                    kvd_error* error, const std::function<void(const kvd_scene&)>& started = {})
{
    ImageFolders folders;
    if (!FoldersOf(options, folders))
        return Refuse(error, "a texture folder is NULL");
    folders.scene = PathFromUtf8(path).parent_path();
    auto loaded = std::make_unique<kvd_scene>();
    if (started)
        started(*loaded);
    SceneLoader loader(*loaded, std::move(folders), std::move(sink));
    const ImportReport report = ImportPath(path, loader);
    return Finish(std::move(loaded), report, path, scene, error);
}

}  // namespace

extern "C" {

KVD_API kvd_result kvd_load_file(const char* path, const kvd_load_options* options, kvd_scene** scene,
                                 kvd_error* error)
{
    if (scene != nullptr)
        *scene = nullptr;
    if (path == nullptr || scene == nullptr)
        return Refuse(error, "kvd_load_file needs a path and a place for the scene");
    return Guarded(error, KVD_CANNOT_OPEN, [&] { return LoadFile(path, options, {}, scene, error); });
}

KVD_API kvd_result kvd_load_memory(const void* data, size_t size, const kvd_load_options* options,
                                   kvd_scene** scene, kvd_error* error)
{
    if (scene != nullptr)
        *scene = nullptr;
    if ((data == nullptr && size > 0) || scene == nullptr)
        return Refuse(error, "kvd_load_memory needs the bytes and a place for the scene");
    return Guarded(error, KVD_CANNOT_OPEN, [&] {
        ImageFolders folders;
        if (!FoldersOf(options, folders))
            return Refuse(error, "a texture folder is NULL");
        auto loaded = std::make_unique<kvd_scene>();
        SceneLoader loader(*loaded, std::move(folders));
        static const uint8_t kNoBytes = 0;
        const auto* bytes = data != nullptr ? static_cast<const uint8_t*>(data) : &kNoBytes;
        const ImportReport report = ImportSceneBytes(bytes, size, loader);
        return Finish(std::move(loaded), report, "the scene in memory", scene, error);
    });
}

KVD_API kvd_result kvd_stream_file(const char* path, const kvd_load_options* options, kvd_mesh_callback on_mesh,
                                   void* user, kvd_scene** scene, kvd_error* error)
{
    if (scene != nullptr)
        *scene = nullptr;
    if (path == nullptr)
        return Refuse(error, "kvd_stream_file needs a path");
    return Guarded(error, KVD_CANNOT_OPEN, [&] {
        // The callback sees the scene being read, which holds everything before the mesh.
        const kvd_scene* handle = nullptr;
        MeshSink sink = [&](size_t index, const LoadedMesh& mesh) {
            kvd_mesh view;
            ViewMesh(mesh, view);
            if (on_mesh != nullptr && on_mesh(user, handle, index, &view) != 0)
                throw StreamStopped{};
        };
        try {
            return LoadFile(path, options, std::move(sink), scene, error,
                            [&](const kvd_scene& loading) { handle = &loading; });
        } catch (const StreamStopped&) {
            return Report(error, KVD_CANCELLED, std::string(path) + ": stopped by the mesh callback");
        }
    });
}

KVD_API void kvd_scene_free(kvd_scene* scene)
{
    delete scene;
}

KVD_API kvd_result kvd_scene_result(const kvd_scene* scene)
{
    return scene != nullptr ? scene->result : KVD_INVALID_ARGUMENT;
}

}  // extern "C"
