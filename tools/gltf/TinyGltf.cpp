// tinygltf compiled here, once for the whole tool, with our compiler flags
// (so the sanitizer builds and the fuzzer see inside it) and without its
// image decoders and file loading of images: images go through the tool's
// own image path, never through a decoder tinygltf would pick.
#define TINYGLTF_IMPLEMENTATION
#include <tiny_gltf.h>
