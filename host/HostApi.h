// Linkage of the host's scene-builder interface.
//
// The host executable defines and exports the GB_ functions and the Point3d
// members. On Linux the plug-in module only declares them and has them
// resolved from the host when it is loaded; HOST_API marks every such
// declaration. On Windows the plug-in binds them at run time instead
// (HOST_BOUND_AT_RUN_TIME): a host may be built by another compiler, under
// another file name, and its names differ with its compiler.
#pragma once

#if defined(_WIN32)
#  if defined(ZERNA_BUILDING_HOST)
#    define HOST_API __declspec(dllexport)
#  elif defined(ZERNA_STATIC_HOST)
#    define HOST_API
#  else
#    define HOST_API
#    define HOST_BOUND_AT_RUN_TIME 1
#  endif
#else
// Default visibility: the plug-in is built with hidden visibility, and an
// undefined reference must stay visible to be bound to the host's definition.
#  define HOST_API __attribute__((visibility("default")))
#endif

// The linkage of the GB_ declarations: C in every host we build; a host
// exporting them under its compiler's C++ names is declared with "C++".
#if !defined(HOST_FUNCTION_LINKAGE)
#  define HOST_FUNCTION_LINKAGE "C"
#endif
