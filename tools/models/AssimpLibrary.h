// The general importer's C entry points, loaded when a command first reads a
// model of one of its kinds rather than linked: the library and the ones it
// brings (draco, minizip, zlib) cost every kvd command megabytes and
// milliseconds at start-up otherwise. Without it those kinds are reported
// unreadable; glTF and OBJ do not need it.
#pragma once

#include <string>

#include <assimp/cimport.h>
#include <assimp/material.h>

#define KVD_ASSIMP_FUNCTIONS(X)                                                                       \
    X(aiImportFile) X(aiReleaseImport) X(aiGetErrorString) X(aiIsExtensionSupported)                 \
    X(aiGetExtensionList) X(aiGetMaterialColor) X(aiGetMaterialFloatArray) X(aiGetMaterialString)     \
    X(aiGetMaterialTexture)

struct AssimpLibrary {
#define KVD_ASSIMP_MEMBER(name) decltype(&::name) name = nullptr;
    KVD_ASSIMP_FUNCTIONS(KVD_ASSIMP_MEMBER)
#undef KVD_ASSIMP_MEMBER
};

// Loaded on the first call (from any thread) and kept; nullptr with the
// reason in error when the library is missing or lacks a function.
const AssimpLibrary* LoadAssimpLibrary(std::string& error);
