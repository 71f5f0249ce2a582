// Tag values of the kvd format. A tag means something only in its own place.
#pragma once

#include <cstdint>

namespace tags {
inline constexpr uint16_t kFileStart = 598;      // first tag of the file
inline constexpr uint16_t kHeaderText = 579;
inline constexpr uint16_t kHeaderValues = 585;

inline constexpr uint16_t kMaterialSection = 262;
inline constexpr uint16_t kMaterialList = 342;
inline constexpr uint16_t kMaterialName = 352;
inline constexpr uint16_t kMaterialClass = 353;
inline constexpr uint16_t kMapList = 601;         // a material's maps, or a map's nested maps
inline constexpr uint16_t kSubMaterialList = 344;
inline constexpr uint16_t kMapName = 408;
inline constexpr uint16_t kMapClass = 409;
inline constexpr uint16_t kImageFile = 514;
inline constexpr uint16_t kImageBlock = 517;

inline constexpr uint16_t kCameraEntry = 259;
inline constexpr uint16_t kCameraPlacement = 337;
inline constexpr uint16_t kCameraTarget = 338;
inline constexpr uint16_t kCameraSettings = 323;
inline constexpr uint16_t kCameraSectionEnd = 768;

inline constexpr uint16_t kName = 265;            // name record; also a transform's second tag
inline constexpr uint16_t kSecondaryName = 272;
inline constexpr uint16_t kTransform = 264;

inline constexpr uint16_t kNodeEntry = 263;
inline constexpr uint16_t kMeshNode = 257;
inline constexpr uint16_t kMaterialIndex = 343;
inline constexpr uint16_t kGeometryBlock = 276;
inline constexpr uint16_t kVertexList = 280;
inline constexpr uint16_t kFaceList = 288;

// Map kinds whose image file becomes a host texture.
inline constexpr uint32_t kFirstTextureMap = 537;
inline constexpr uint32_t kSecondTextureMap = 550;
}  // namespace tags
