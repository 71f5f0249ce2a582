// The host's material record, handed to GB_BeginSurface by address.
//
// The layout is the host's and is fixed to the byte; the host defines what
// the constant fields mean, so their names only say where they live.
// Every byte the plug-in does not write is zero.
#pragma once

#include <stddef.h>
#include <stdint.h>

struct tagMaterial {
    char name[128];            // GBK text with its NUL
    int32_t value128;          // 0
    uint8_t unused132[36];
    float colour1[3];          // first colour of the file material
    float colour2[3];          // second colour, the mesh colour for a default material
    float colour3[3];          // third colour
    int32_t scalar1;           // the file's first scalar, truncated toward zero
    int32_t shadeCode;         // 65 for a file material, 30 for a mesh colour
    int32_t reserved2;         // the material's reserved2, 0
    int32_t value216;          // 1
    int32_t value220;          // 30
    char firstTexture[125];    // image file of a kind-537 map
    char secondTexture[131];   // image file of a kind-550 map, at the odd offset 349
    double value480;           // 1.0
    double value488;           // 0.0
    double value496;           // 500.0
    double value504;           // 500.0
    uint32_t value512;         // 0
    uint8_t unused516[204];
    float value720;            // 1.0
    uint8_t unused724[4];
};

static_assert(sizeof(tagMaterial) == 728);
static_assert(offsetof(tagMaterial, name) == 0);
static_assert(offsetof(tagMaterial, value128) == 128);
static_assert(offsetof(tagMaterial, colour1) == 168);
static_assert(offsetof(tagMaterial, colour2) == 180);
static_assert(offsetof(tagMaterial, colour3) == 192);
static_assert(offsetof(tagMaterial, scalar1) == 204);
static_assert(offsetof(tagMaterial, shadeCode) == 208);
static_assert(offsetof(tagMaterial, reserved2) == 212);
static_assert(offsetof(tagMaterial, value216) == 216);
static_assert(offsetof(tagMaterial, value220) == 220);
static_assert(offsetof(tagMaterial, firstTexture) == 224);
static_assert(offsetof(tagMaterial, secondTexture) == 349);
static_assert(offsetof(tagMaterial, value480) == 480);
static_assert(offsetof(tagMaterial, value488) == 488);
static_assert(offsetof(tagMaterial, value496) == 496);
static_assert(offsetof(tagMaterial, value504) == 504);
static_assert(offsetof(tagMaterial, value512) == 512);
static_assert(offsetof(tagMaterial, value720) == 720);
