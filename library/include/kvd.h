/* kvd.h: read and write kvd scene files from C and from anything that can
 * call C.
 *
 * A scene is loaded into an opaque handle (kvd_scene). Everything asked of
 * it (names, arrays) belongs to the handle and stays valid until
 * kvd_scene_free: nothing returned by this library is freed by the caller
 * except the handle itself and the buffer of kvd_save_memory.
 *
 * Every function that can fail returns a kvd_result and, when given one,
 * fills a kvd_error with the result and a message in English (UTF-8).
 * Strings out are UTF-8 and NUL-terminated; sizes are size_t. No function
 * throws, aborts or prints.
 *
 *     kvd_scene *scene = NULL;
 *     kvd_error error;
 *     if (kvd_load_file("house.kvd", NULL, &scene, &error) > KVD_DAMAGED) {
 *         fprintf(stderr, "%s\n", error.message);
 *         return 1;
 *     }
 *     for (size_t i = 0; i < kvd_mesh_count(scene); ++i) {
 *         kvd_mesh mesh;
 *         kvd_get_mesh(scene, i, &mesh);
 *         printf("%s: %zu triangles\n", mesh.name, mesh.triangle_count);
 *     }
 *     kvd_scene_free(scene);
 */
#ifndef KVD_H
#define KVD_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32) && !defined(KVD_STATIC)
#  ifdef KVD_BUILDING_LIBRARY
#    define KVD_API __declspec(dllexport)
#  else
#    define KVD_API __declspec(dllimport)
#  endif
#elif defined(__GNUC__)
#  define KVD_API __attribute__((visibility("default")))
#else
#  define KVD_API
#endif

#define KVD_VERSION_MAJOR 1
#define KVD_VERSION_MINOR 0
#define KVD_VERSION_PATCH 0

/* How a call went. KVD_OK and KVD_DAMAGED leave a scene; every value past
 * KVD_DAMAGED is a failure and leaves none. */
typedef enum kvd_result {
    KVD_OK = 0,
    /* The file's body ends early or is damaged: the scene holds everything
     * read before the damage, and its messages say what happened. */
    KVD_DAMAGED = 1,
    KVD_CANNOT_OPEN = 2,       /* the file cannot be opened or read (error.message says why) */
    KVD_NOT_KVD_FILE = 3,      /* the bytes are not a kvd scene file */
    KVD_HEADER_DAMAGED = 4,    /* a kvd scene file whose header is damaged or cut short */
    KVD_OUT_OF_MEMORY = 5,
    KVD_INVALID_ARGUMENT = 6,  /* a NULL where a value is needed, an index out of range, a bad array */
    KVD_CANNOT_WRITE = 7,      /* writing failed; nothing was left at the destination */
    KVD_CANCELLED = 8          /* a callback asked to stop */
} kvd_result;

typedef struct kvd_error {
    kvd_result result;
    char message[512];   /* UTF-8, empty on KVD_OK */
} kvd_error;

/* The library's version as "1.0.0", and as a number (major*10000 + minor*100 + patch). */
KVD_API const char *kvd_version(void);
KVD_API uint32_t kvd_version_number(void);

/* A short English text for a result, e.g. "not a kvd scene file". */
KVD_API const char *kvd_result_text(kvd_result result);

typedef struct kvd_scene kvd_scene;

typedef struct kvd_load_options {
    /* More folders to look for texture images in, after the scene file's own
     * folder and its maps/ and textures/ folders (UTF-8 paths). */
    const char *const *texture_folders;
    size_t texture_folder_count;
} kvd_load_options;

/* Loads a whole scene. On KVD_OK or KVD_DAMAGED *scene is a new handle;
 * otherwise *scene is NULL. options may be NULL. error may be NULL. */
KVD_API kvd_result kvd_load_file(const char *path, const kvd_load_options *options, kvd_scene **scene,
                                 kvd_error *error);
/* The same from bytes in memory, which the call does not keep. Images are
 * looked for only in options' texture folders, each searched as a scene
 * file's own folder would be (the name as stored, then the file name alone
 * in it and in its maps/ and textures/ folders). */
KVD_API kvd_result kvd_load_memory(const void *data, size_t size, const kvd_load_options *options,
                                   kvd_scene **scene, kvd_error *error);
KVD_API void kvd_scene_free(kvd_scene *scene);

/* How the load went: KVD_OK or KVD_DAMAGED (KVD_OK for a built scene). */
KVD_API kvd_result kvd_scene_result(const kvd_scene *scene);

/* ---- Materials -------------------------------------------------------- */

typedef struct kvd_texture {
    const char *name;    /* the image file's name as the file stores it; "" for none */
    const char *found;   /* where the image was found, or NULL when not found or none */
} kvd_texture;

typedef struct kvd_material {
    const char *name;
    float ambient[3];
    float diffuse[3];
    float specular[3];
    float shininess;     /* the material's first value, as stored */
    kvd_texture texture; /* the colour image */
    kvd_texture bump;    /* the bump (height) image */
} kvd_material;

KVD_API size_t kvd_material_count(const kvd_scene *scene);
KVD_API kvd_result kvd_get_material(const kvd_scene *scene, size_t index, kvd_material *material);

/* ---- Cameras ---------------------------------------------------------- */

typedef struct kvd_camera {
    const char *name;
    double eye[3];
    double target[3];
    double fov;          /* horizontal field of view in degrees, as the host shows it */
    int is_default;      /* the first camera: the view the host opens the scene with */
    int is_fixed;        /* the host's fixed default camera, for a file that has none */
} kvd_camera;

/* The default camera comes first; a file without cameras has the host's
 * fixed default camera, as kvd info lists them. */
KVD_API size_t kvd_camera_count(const kvd_scene *scene);
KVD_API kvd_result kvd_get_camera(const kvd_scene *scene, size_t index, kvd_camera *camera);

/* ---- Meshes ----------------------------------------------------------- */

#define KVD_OWN_COLOUR (-1)

typedef struct kvd_mesh {
    const char *name;
    /* Position in the scene's materials, or KVD_OWN_COLOUR: the mesh names
     * no material of the file (or one past its list) and has its own colour. */
    int64_t material;
    float colour[3];            /* with KVD_OWN_COLOUR: the mesh's colour; otherwise its material's diffuse */
    size_t point_count;
    const float *points;        /* x y z of each point, as stored; point_count * 3 floats */
    size_t triangle_count;
    /* Three point numbers per triangle, corners in file order. A triangle
     * of the file that names a point past the list is left out, as the host
     * import leaves it out; every number here is below point_count. */
    const uint32_t *triangles;
    size_t node;                /* the mesh node in the scene's node list */
} kvd_mesh;

KVD_API size_t kvd_mesh_count(const kvd_scene *scene);
KVD_API kvd_result kvd_get_mesh(const kvd_scene *scene, size_t index, kvd_mesh *mesh);

/* Texture coordinates as kvd convert makes them for a mesh (the file holds
 * none): each triangle projected along the axis it faces most, one tile per
 * 500 scene units. Writes triangle_count * 3 corners, u v each, into uv
 * (triangle_count * 6 floats). */
KVD_API kvd_result kvd_mesh_box_texcoords(const kvd_scene *scene, size_t mesh, float *uv, size_t uv_count);

/* Numbers the mesh's points so that points equal bit for bit get one
 * number, in order of first appearance, as kvd convert merges them:
 * numbers gets point_count entries. Returns the count of distinct points
 * in *distinct. */
KVD_API kvd_result kvd_mesh_merge_points(const kvd_scene *scene, size_t mesh, uint32_t *numbers,
                                         size_t number_count, size_t *distinct);

/* ---- The node tree ---------------------------------------------------- */

#define KVD_NO_PARENT ((size_t)-1)
#define KVD_NO_MESH ((size_t)-1)

typedef struct kvd_node {
    const char *name;
    size_t parent;   /* a node before this one, or KVD_NO_PARENT for a root */
    size_t mesh;     /* for a mesh node, its mesh; otherwise KVD_NO_MESH */
} kvd_node;

/* Nodes in file order (depth first: a parent before its children). */
KVD_API size_t kvd_node_count(const kvd_scene *scene);
KVD_API kvd_result kvd_get_node(const kvd_scene *scene, size_t index, kvd_node *node);

/* ---- Messages --------------------------------------------------------- */

typedef enum kvd_message_code {
    KVD_MESSAGE_FILE_DAMAGED = 1,
    KVD_MESSAGE_NOT_KVD_FILE = 2,
    KVD_MESSAGE_CAMERA_SECTION_END = 3,
    KVD_MESSAGE_IMPORT_DECLINED = 4   /* only a host declines an import; kept for completeness */
} kvd_message_code;

typedef struct kvd_message {
    kvd_message_code code;
    const char *text;      /* what the host shows the user, in UTF-8 */
    const char *meaning;   /* the same in English */
} kvd_message;

/* Every message the plug-in would show for this file, in order. */
KVD_API size_t kvd_message_count(const kvd_scene *scene);
KVD_API kvd_result kvd_get_message(const kvd_scene *scene, size_t index, kvd_message *message);

/* ---- Streaming -------------------------------------------------------- */

/* Called for each mesh as it is read; the mesh's arrays live only for the
 * call. Return 0 to go on, anything else to stop (KVD_CANCELLED). */
typedef int (*kvd_mesh_callback)(void *user, const kvd_scene *scene, size_t index, const kvd_mesh *mesh);

/* Reads a scene of any size with memory in proportion to its largest mesh:
 * each mesh goes to on_mesh, and *scene (when not NULL) keeps everything
 * else; its meshes keep their names, materials, counts and nodes, with NULL
 * arrays. Results as kvd_load_file. */
KVD_API kvd_result kvd_stream_file(const char *path, const kvd_load_options *options, kvd_mesh_callback on_mesh,
                                   void *user, kvd_scene **scene, kvd_error *error);

/* ---- Building and writing --------------------------------------------- */

/* An empty scene to build, with no cameras (a written scene without
 * cameras opens in the host's fixed view). */
KVD_API kvd_scene *kvd_scene_create(void);

/* Each copies what it is given. index (may be NULL) gets the new item's
 * position. Texture names are written as given; found is ignored. */
KVD_API kvd_result kvd_add_material(kvd_scene *scene, const kvd_material *material, size_t *index,
                                    kvd_error *error);
/* fov, is_default and is_fixed are ignored: the first camera is the default. */
KVD_API kvd_result kvd_add_camera(kvd_scene *scene, const kvd_camera *camera, size_t *index, kvd_error *error);
/* A group node under parent (KVD_NO_PARENT for a root). */
KVD_API kvd_result kvd_add_group(kvd_scene *scene, const char *name, size_t parent, size_t *index,
                                 kvd_error *error);
/* A mesh and its mesh node under parent: mesh->node is ignored. Points must
 * be finite and every triangle's numbers below point_count. */
KVD_API kvd_result kvd_add_mesh(kvd_scene *scene, const kvd_mesh *mesh, size_t parent, size_t *index,
                                kvd_error *error);

/* Writes the scene as a kvd file the host reads: whole, or on failure not at
 * all (an existing file at path is left as it was). A streamed scene has no
 * geometry and cannot be saved. */
KVD_API kvd_result kvd_save_file(const kvd_scene *scene, const char *path, kvd_error *error);
/* The same into memory: *data (freed with kvd_free) and *size. */
KVD_API kvd_result kvd_save_memory(const kvd_scene *scene, void **data, size_t *size, kvd_error *error);
KVD_API void kvd_free(void *data);

#ifdef __cplusplus
}
#endif

#endif /* KVD_H */
