// The module's only export: the host calls go when its user picks the import
// command. One call is one import session; nothing outlives it.
#include "plugin/ImportSession.h"

#if defined(_WIN32)
#  include "plugin/HostBinding.h"
#  define PLUGIN_EXPORT __declspec(dllexport)
#else
#  define PLUGIN_EXPORT __attribute__((visibility("default")))
#endif

extern "C" PLUGIN_EXPORT int go()
{
    UserInterface& ui = PlatformUserInterface();
#if defined(_WIN32)
    // The host's functions are found afresh for each session; without one of
    // them the session cannot keep its calling order, so none is made.
    std::string missing = BindHostFunctions();
    if (!missing.empty()) {
        ui.ShowMessage(MissingHostFunctionMessage(missing).c_str());
        return 0;
    }
#endif
    return RunImportSession(ui);
}
