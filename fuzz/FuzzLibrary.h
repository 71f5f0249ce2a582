// The C interface of the kvd library driven by any input: loaded from
// memory, every getter and helper on every item, written into memory and
// read back.
#pragma once

#include <cstddef>
#include <cstdint>

// hostObjects, hostTriangles: what the accepting checking host received.
void FuzzLibrary(const uint8_t* data, size_t size, int hostObjects, int hostTriangles);
