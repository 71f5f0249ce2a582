// The module's only export: the host calls go when its user picks the import
// command. One call is one import session; nothing outlives it.
#include "plugin/ImportSession.h"

#if defined(_WIN32)
#  define PLUGIN_EXPORT __declspec(dllexport)
#else
#  define PLUGIN_EXPORT __attribute__((visibility("default")))
#endif

extern "C" PLUGIN_EXPORT int go()
{
    return RunImportSession(PlatformUserInterface());
}
