// The glTF document of one output, built as JSON while the scene is read.
// Keys keep the order they are given in, so the document reads as written.
#pragma once

#include <nlohmann/json.hpp>

using GltfJson = nlohmann::ordered_json;

// Appends item to the document's top-level array named array (made when
// first needed) and returns the item's number in it.
inline int AppendTo(GltfJson& document, const char* array, GltfJson item)
{
    GltfJson& list = document[array];
    list.push_back(std::move(item));
    return static_cast<int>(list.size()) - 1;
}
