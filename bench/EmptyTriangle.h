// A function that does nothing, in a module of its own, so that a call to it
// from the benchmark is a real call: the cheapest a host can make a triangle.
#pragma once

#if defined(_WIN32)
#  define EMPTY_TRIANGLE_API __declspec(dllexport)
#else
#  define EMPTY_TRIANGLE_API __attribute__((visibility("default")))
#endif

extern "C" EMPTY_TRIANGLE_API int EmptyTriangle(const void* a, const void* b, const void* c);
