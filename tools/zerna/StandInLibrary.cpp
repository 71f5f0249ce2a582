// zerna_trace.dll: the stand-in host's program and trace, built by MinGW,
// for the host whose Point3d and GB_ functions are compiled in Microsoft's
// ABI (MicrosoftAbiHost.cpp). That part has no C or C++ runtime of its own:
// its entry runs ZernaMain, and its GB_ functions forward here through
// plain C functions.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "host/Point3d.h"
#include "host/TagMaterial.h"
#include "tools/host/CurrentSceneHost.h"
#include "tools/zerna/ZernaProgram.h"

#define STAND_IN_EXPORT extern "C" __declspec(dllexport)

namespace {

// The command line's arguments in the system's code page, as main gets them.
std::vector<std::string> CommandLineArguments()
{
    std::vector<std::string> arguments;
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr)
        return arguments;
    for (int i = 0; i < count; ++i) {
        int size = WideCharToMultiByte(CP_ACP, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string argument(size > 0 ? size : 1, '\0');
        if (size > 0)
            WideCharToMultiByte(CP_ACP, 0, wide[i], -1, argument.data(), size, nullptr, nullptr);
        argument.resize(argument.size() - 1);
        arguments.push_back(std::move(argument));
    }
    LocalFree(wide);
    return arguments;
}

}  // namespace

STAND_IN_EXPORT int ZernaMain()
{
    std::vector<std::string> arguments = CommandLineArguments();
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    int status = RunZerna(static_cast<int>(arguments.size()), argv.data());
    // The caller ends the process at once.
    std::fflush(nullptr);
    return status;
}

STAND_IN_EXPORT int StandInSceneEmpty() { return CurrentSceneHost().SceneEmpty(); }
STAND_IN_EXPORT int StandInStartImport() { return CurrentSceneHost().StartImport(); }
STAND_IN_EXPORT void StandInEndImport() { CurrentSceneHost().EndImport(); }

STAND_IN_EXPORT int StandInSetDefaultCamera(char* name, const Point3d* eye, const Point3d* target, double fov)
{
    return CurrentSceneHost().SetDefaultCamera(name, *eye, *target, fov);
}

STAND_IN_EXPORT int StandInAddCamera(char* name, const Point3d* eye, const Point3d* target, double fov)
{
    return CurrentSceneHost().AddCamera(name, *eye, *target, fov);
}

STAND_IN_EXPORT int StandInBeginObject() { return CurrentSceneHost().BeginObject(); }
STAND_IN_EXPORT int StandInBeginSurface(tagMaterial* material) { return CurrentSceneHost().BeginSurface(*material); }
STAND_IN_EXPORT int StandInAddTriangle(Point3d* a, Point3d* b, Point3d* c)
{
    return CurrentSceneHost().AddTriangle(a, b, c);
}
STAND_IN_EXPORT int StandInEndSurface() { return CurrentSceneHost().EndSurface(); }
STAND_IN_EXPORT int StandInEndObject() { return CurrentSceneHost().EndObject(); }
