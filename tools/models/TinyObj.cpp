// tinyobjloader compiled here, with the project's flags, so the sanitizer
// builds see inside it.
#define TINYOBJLOADER_IMPLEMENTATION
#include <tiny_obj_loader.h>
