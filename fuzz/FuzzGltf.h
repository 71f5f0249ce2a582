// The fuzz target's path from glTF bytes to a written kvd scene.
#pragma once

#include <cstddef>
#include <cstdint>

// A .glb by its magic, or a JSON document by its first character.
bool LooksLikeGltf(const uint8_t* data, size_t size);
void FuzzGltf(const uint8_t* data, size_t size);
