// glTF 2.0 (.gltf with its buffers, .glb) read for the kvd writer.
//
// The document is parsed by tinygltf; the binary data is the tool's own to
// load (the .glb's binary chunk is taken over, never copied; .bin files and
// data URIs are read once), so memory stays at about the input's size. Every
// buffer view, accessor and index is checked against the bytes that are
// there before anything is read through it: what is damaged is left out and
// said, and the rest is converted.
//
// The default scene is converted (else the first, else every node that is
// no node's child): every triangle primitive (triangles, strips, fans) of
// every mesh instance, in world space; points and lines are left out with a
// warning. Materials made by kvd convert (their extras keep the host's
// colours and map names as stored) come back as they were.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

#include "tools/models/ModelRead.h"

// folder: where the document's relative URIs (.bin files, images) are
// looked for; empty for none (an input in memory).
ModelReadResult ReadGltfBytes(std::span<const uint8_t> bytes, const std::filesystem::path& folder);
ModelReadResult ReadGltfFile(const std::filesystem::path& path);
