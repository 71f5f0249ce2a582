// The off-screen OpenGL driver's entry points, loaded when the first picture
// is drawn rather than linked: the driver and the compiler it brings in add
// some 50 MiB to a process's memory at start-up, which every other verb of
// the tool (and every scene it reads) would otherwise carry. A machine
// without the driver can still run everything but rendering.
#pragma once

#include <string>

#define GL_GLEXT_PROTOTYPES 1
#include <GL/osmesa.h>

// Every function the renderer calls, by its C name.
#define KVD_OFFSCREEN_GL_FUNCTIONS(X)                                                                  \
    X(OSMesaCreateContextExt) X(OSMesaMakeCurrent) X(OSMesaDestroyContext) X(glAttachShader)          \
    X(glBindAttribLocation) X(glBindTexture) X(glClear) X(glClearColor) X(glCompileShader)            \
    X(glCreateProgram) X(glCreateShader) X(glDisable) X(glDisableVertexAttribArray) X(glDrawElements) \
    X(glEnable) X(glEnableVertexAttribArray) X(glFinish) X(glGenTextures) X(glGetError)               \
    X(glGetIntegerv) X(glGetProgramiv) X(glGetShaderInfoLog) X(glGetShaderiv)                         \
    X(glGetUniformLocation) X(glLinkProgram) X(glPixelStorei) X(glShaderSource) X(glTexImage2D)       \
    X(glTexParameteri) X(glUniform1i) X(glUniform3f) X(glUniformMatrix4fv) X(glUseProgram)            \
    X(glVertexAttrib2f) X(glVertexAttribPointer) X(glViewport)

struct OffscreenGl {
#define KVD_GL_MEMBER(name) decltype(&::name) name = nullptr;
    KVD_OFFSCREEN_GL_FUNCTIONS(KVD_GL_MEMBER)
#undef KVD_GL_MEMBER
    // The driver's own lookup, for entry points it does not export.
    decltype(&::OSMesaGetProcAddress) OSMesaGetProcAddress = nullptr;
};

// The driver's functions, loaded on the first call (from any thread) and
// kept for the life of the process; nullptr with the reason in error when
// the driver is missing or lacks one of them.
const OffscreenGl* LoadOffscreenGl(std::string& error);
