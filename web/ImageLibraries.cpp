// The image and glTF libraries' code, compiled into the browser module.
// Natively the tool links Debian's builds of the same sources; here the
// header-only sources are compiled once with their default settings, which
// are what Debian's builds use. tinygltf gets no image code of its own
// (TINYGLTF_NO_STB_IMAGE, set for the whole module): the writer hands it
// every image ready-made.
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image.h>
#include <stb_image_write.h>

#define TINYGLTF_IMPLEMENTATION
#include <tiny_gltf.h>
