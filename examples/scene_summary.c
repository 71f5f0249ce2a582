/* scene_summary: prints what a kvd scene file holds, through the kvd library.
 *
 *     scene_summary scene.kvd [texture folder...]
 *
 * Exit status: 0 for a whole scene, 1 for a file that could not be read,
 * 2 for a damaged one (what was read before the damage is printed). */
#include <math.h>
#include <stdio.h>

#include <kvd.h>

static void print_texture(const char *label, kvd_texture texture)
{
    if (texture.name[0] == '\0')
        return;
    printf("    %s %s (%s)\n", label, texture.name, texture.found ? "found" : "not found");
}

int main(int argc, char **argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: scene_summary scene.kvd [texture folder...]\n");
        return 1;
    }
    kvd_load_options options = {(const char *const *)(argv + 2), (size_t)(argc - 2)};
    kvd_scene *scene = NULL;
    kvd_error error;
    kvd_result result = kvd_load_file(argv[1], &options, &scene, &error);
    if (result > KVD_DAMAGED) {
        fprintf(stderr, "scene_summary: %s\n", error.message);
        return 1;
    }
    printf("kvd library %s\n", kvd_version());
    printf("status: %s\n", kvd_result_text(result));

    printf("materials: %zu\n", kvd_material_count(scene));
    for (size_t i = 0; i < kvd_material_count(scene); ++i) {
        kvd_material m;
        kvd_get_material(scene, i, &m);
        printf("  [%zu] %s diffuse (%g, %g, %g)\n", i, m.name, m.diffuse[0], m.diffuse[1], m.diffuse[2]);
        print_texture("texture", m.texture);
        print_texture("bump", m.bump);
    }

    printf("cameras: %zu\n", kvd_camera_count(scene));
    for (size_t i = 0; i < kvd_camera_count(scene); ++i) {
        kvd_camera c;
        kvd_get_camera(scene, i, &c);
        printf("  [%zu] %s eye (%g, %g, %g) target (%g, %g, %g)%s%s\n", i, c.name, c.eye[0], c.eye[1], c.eye[2],
               c.target[0], c.target[1], c.target[2], c.is_default ? " default" : "", c.is_fixed ? " fixed" : "");
    }

    double low[3] = {INFINITY, INFINITY, INFINITY}, high[3] = {-INFINITY, -INFINITY, -INFINITY};
    size_t triangles = 0;
    printf("meshes: %zu\n", kvd_mesh_count(scene));
    for (size_t i = 0; i < kvd_mesh_count(scene); ++i) {
        kvd_mesh mesh;
        kvd_get_mesh(scene, i, &mesh);
        triangles += mesh.triangle_count;
        printf("  [%zu] %s: %zu triangles, %zu points, ", i, mesh.name, mesh.triangle_count, mesh.point_count);
        if (mesh.material == KVD_OWN_COLOUR)
            printf("own colour (%g, %g, %g)\n", mesh.colour[0], mesh.colour[1], mesh.colour[2]);
        else
            printf("material %lld\n", (long long)mesh.material);
        /* The box of the points the triangles use. */
        for (size_t t = 0; t < mesh.triangle_count * 3; ++t) {
            const float *p = mesh.points + 3 * (size_t)mesh.triangles[t];
            for (int axis = 0; axis < 3; ++axis) {
                if (p[axis] < low[axis])
                    low[axis] = p[axis];
                if (p[axis] > high[axis])
                    high[axis] = p[axis];
            }
        }
    }
    printf("triangles: %zu\n", triangles);
    if (low[0] <= high[0])
        printf("bounds: (%g, %g, %g) to (%g, %g, %g)\n", low[0], low[1], low[2], high[0], high[1], high[2]);
    else
        printf("bounds: none\n");

    printf("messages: %zu\n", kvd_message_count(scene));
    for (size_t i = 0; i < kvd_message_count(scene); ++i) {
        kvd_message m;
        kvd_get_message(scene, i, &m);
        printf("  %s (%s)\n", m.text, m.meaning);
    }
    kvd_scene_free(scene);
    return result == KVD_DAMAGED ? 2 : 0;
}
