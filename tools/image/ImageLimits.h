// The one set of limits every image the tool reads is held to, whatever
// command reads it. An image past any of them is refused with the reason,
// before its pixels get memory.
#pragma once

#include <cstddef>
#include <cstdint>

// Image files larger than this are not read into memory.
inline constexpr std::uintmax_t kMaxImageFileBytes = 256u << 20;

// A texture of 8192 x 8192 fits; a header claiming more does not get that
// memory. Each side is limited as well as the area, so a 67108864 x 1
// picture that no viewer opens is refused too.
inline constexpr int kMaxImageSide = 8192;
inline constexpr long long kMaxImagePixels = 8192ll * 8192ll;

// Decoded pixels are RGB or RGBA, eight bits a sample.
inline constexpr std::size_t kMaxDecodedBytes = static_cast<std::size_t>(kMaxImagePixels) * 4;

// What a decoder may hold at once beyond the pixels it hands back: working
// buffers of up to three times the decoded picture (a GIF decoder keeps the canvas,
// its background and a history of one byte a pixel; a JPEG decoder its
// component planes) plus this much for tables and rows.
inline constexpr std::size_t kDecoderSlackBytes = 16u << 20;
inline constexpr std::size_t kDecoderWorkFactor = 3;

// Progressive JPEG: each scan is a pass over the picture, so their number
// bounds the work. Encoders write about ten.
inline constexpr int kMaxJpegScans = 64;

// PSD: channels of the merged picture (the layers are skipped unread).
inline constexpr int kMaxPsdChannels = 16;

// TIFF: the first directory only is read; its strips or tiles, each a read
// of its own, are limited in number.
inline constexpr std::uint64_t kMaxTiffStrips = 1u << 18;
