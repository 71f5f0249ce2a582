// Puts a glTF output together under its name once the scene is read: a .glb
// is its header, the JSON chunk and the binary chunk, copied into one more
// temporary file; a .gltf is the JSON with its binary data in a .bin beside
// it. Each file is renamed into place only when whole, the .bin before the
// document that names it.
#pragma once

#include <cstdint>
#include <string>

#include "tools/export/GltfBinaryData.h"

class ProgressSink;

// The .bin a .gltf refers to: the output's name with .bin.
std::string GltfBinaryPath(const std::string& gltfPath);

// binary: sealed, of binaryLength bytes. False, with the failure in status
// and nothing under path touched, when the output cannot be made.
bool AssembleGlb(const std::string& path, const std::string& json, GltfBinaryData& binary, uint64_t binaryLength,
                 uint64_t maxGlbBytes, ProgressSink* progress, WriteStatus& status);
bool AssembleGltf(const std::string& path, const std::string& json, GltfBinaryData& binary, uint64_t binaryLength,
                  ProgressSink* progress, WriteStatus& status);
