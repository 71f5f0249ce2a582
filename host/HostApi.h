// Linkage of the host's scene-builder interface.
//
// The host executable defines and exports the GB_ functions and the Point3d
// members; the plug-in module only declares them and has them resolved from
// the host when it is loaded. HOST_API marks every such declaration.
#pragma once

#if defined(_WIN32)
#  if defined(ZERNA_BUILDING_HOST)
#    define HOST_API __declspec(dllexport)
#  else
#    define HOST_API __declspec(dllimport)
#  endif
#else
// Default visibility: the plug-in is built with hidden visibility, and an
// undefined reference must stay visible to be bound to the host's definition.
#  define HOST_API __attribute__((visibility("default")))
#endif
