// The host may be built by Microsoft's compiler or by GCC, under any file
// name: its functions are looked up in the main module by every name its
// compiler may have given them, and called with that compiler's convention.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "plugin/HostBinding.h"

#include <cstddef>
#include <iterator>

#include "host/HostFunctionTable.h"
#include "host/HostSymbolNames.h"

HostFunctionTable boundHost;

namespace {

#if defined(__i386__)
const char* MicrosoftName(const SceneBuilderNames& names) { return names.microsoftX86; }
const char* MicrosoftName(const PointMemberNames& names) { return names.microsoftX86; }
#else
const char* MicrosoftName(const SceneBuilderNames& names) { return names.microsoftX64; }
const char* MicrosoftName(const PointMemberNames& names) { return names.microsoftX64; }
#endif

FARPROC Find(HMODULE host, const char* name) { return GetProcAddress(host, name); }

// The function under the first name it is exported by, or null.
FARPROC FindSceneBuilder(HMODULE host, const SceneBuilderNames& names)
{
    FARPROC function = Find(host, names.plain);
    return function != nullptr ? function : Find(host, MicrosoftName(names));
}

template <typename Pointer>
void Store(Pointer& field, FARPROC function)
{
    field = reinterpret_cast<Pointer>(reinterpret_cast<void*>(function));
}

// All four members from one ABI, or none: a host half of one and half of
// the other is not one we know how to call.
template <typename Members, typename NameOf>
bool FindPointMembers(HMODULE host, Members& members, NameOf nameOf)
{
    FARPROC found[std::size(kPointMemberNames)] = {};
    for (size_t i = 0; i < std::size(kPointMemberNames); ++i) {
        found[i] = Find(host, nameOf(kPointMemberNames[i]));
        if (found[i] == nullptr)
            return false;
    }
    Store(members.construct, found[0]);
    Store(members.copy, found[1]);
    Store(members.assign, found[2]);
    Store(members.set, found[3]);
    return true;
}

BoundPointMembers BindPointMembers(HMODULE host)
{
    BoundPointMembers point;
    if (FindPointMembers(host, point.microsoft,
                         [](const PointMemberNames& names) { return MicrosoftName(names); }))
        point.abi = PointAbi::Microsoft;
    else if (FindPointMembers(host, point.gnu, [](const PointMemberNames& names) { return names.gnu; }))
        point.abi = PointAbi::Gnu;
    return point;
}

}  // namespace

std::string BindHostFunctions()
{
    boundHost = HostFunctionTable{};
    HMODULE host = GetModuleHandleA(nullptr);
    FARPROC found[std::size(kSceneBuilderNames)] = {};
    for (size_t i = 0; i < std::size(kSceneBuilderNames); ++i) {
        found[i] = FindSceneBuilder(host, kSceneBuilderNames[i]);
        if (found[i] == nullptr)
            return kSceneBuilderNames[i].plain;
    }

    HostFunctionTable table;
    Store(table.sceneEmpty, found[0]);
    Store(table.startImport, found[1]);
    Store(table.endImport, found[2]);
    Store(table.setDefaultCamera, found[3]);
    Store(table.addCamera, found[4]);
    Store(table.beginObject, found[5]);
    Store(table.beginSurface, found[6]);
    Store(table.addTriangle, found[7]);
    Store(table.endSurface, found[8]);
    Store(table.endObject, found[9]);
    static_assert(std::size(kSceneBuilderNames) == 10, "one table field per GB_ function");
    table.point = BindPointMembers(host);
    boundHost = table;
    return {};
}

std::string MissingHostFunctionMessage(const std::string& name)
{
    return "The host program does not provide " + name + "; nothing was imported.";
}
