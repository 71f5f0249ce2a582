// The image and glTF libraries' code, compiled into the browser module.
// Natively the tool links Debian's builds of the same sources; here the
// header-only sources are compiled once with their default settings, which
// are what Debian's builds use.
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image.h>
#include <stb_image_write.h>

// tinygltf includes the stb headers again, for their declarations only.
#undef STB_IMAGE_IMPLEMENTATION
#undef STB_IMAGE_WRITE_IMPLEMENTATION
#define TINYGLTF_IMPLEMENTATION
#include <tiny_gltf.h>
