// The names in host/HostSymbolNames.h are the ones the compilers give the
// host's declarations: for each Windows target, the set of names the probe
// object refers to equals the set the plug-in would look up.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "host/HostSymbolNames.h"

namespace {

enum class Functions { Plain, MicrosoftX86, MicrosoftX64 };
enum class Members { MicrosoftX86, MicrosoftX64, Gnu };

struct ProbeCase {
    const char* listFile;   // written by the build from the probe object
    bool x86;               // 32-bit objects put an underscore before C and GNU names
    Functions functions;
    Members members;
};

// The host's names the probe object refers to, as a host exports them.
std::set<std::string> ReadHostNames(const ProbeCase& probe)
{
    std::ifstream list(std::string(HOST_NAMES_DIR) + "/" + probe.listFile);
    EXPECT_TRUE(list.good()) << probe.listFile;
    std::set<std::string> names;
    std::string name;
    while (std::getline(list, name)) {
        if (name.find("GB_") == std::string::npos && name.find("Point3d") == std::string::npos)
            continue;
        if (probe.x86 && name.front() == '_')
            name.erase(0, 1);
        names.insert(name);
    }
    return names;
}

std::set<std::string> TableNames(const ProbeCase& probe)
{
    std::set<std::string> names;
    for (const SceneBuilderNames& function : kSceneBuilderNames) {
        switch (probe.functions) {
        case Functions::Plain: names.insert(function.plain); break;
        case Functions::MicrosoftX86: names.insert(function.microsoftX86); break;
        case Functions::MicrosoftX64: names.insert(function.microsoftX64); break;
        }
    }
    for (const PointMemberNames& member : kPointMemberNames) {
        switch (probe.members) {
        case Members::MicrosoftX86: names.insert(member.microsoftX86); break;
        case Members::MicrosoftX64: names.insert(member.microsoftX64); break;
        case Members::Gnu: names.insert(member.gnu); break;
        }
    }
    return names;
}

class HostSymbolNamesTest : public testing::TestWithParam<ProbeCase> {};

TEST_P(HostSymbolNamesTest, TableHoldsTheCompilersNames)
{
    const ProbeCase& probe = GetParam();
    EXPECT_EQ(ReadHostNames(probe), TableNames(probe));
}

INSTANTIATE_TEST_SUITE_P(
    WindowsTargets, HostSymbolNamesTest,
    testing::Values(
        ProbeCase{"i686-pc-windows-msvc-C.txt", true, Functions::Plain, Members::MicrosoftX86},
        ProbeCase{"i686-pc-windows-msvc-Cxx.txt", true, Functions::MicrosoftX86, Members::MicrosoftX86},
        ProbeCase{"x86_64-pc-windows-msvc-C.txt", false, Functions::Plain, Members::MicrosoftX64},
        ProbeCase{"x86_64-pc-windows-msvc-Cxx.txt", false, Functions::MicrosoftX64, Members::MicrosoftX64},
        ProbeCase{"i686-w64-mingw32-C.txt", true, Functions::Plain, Members::Gnu},
        ProbeCase{"x86_64-w64-mingw32-C.txt", false, Functions::Plain, Members::Gnu}),
    [](const testing::TestParamInfo<ProbeCase>& info) {
        std::string name = info.param.listFile;
        name.resize(name.size() - 4);
        for (char& c : name)
            if (c == '-' || c == '.')
                c = '_';
        return name;
    });

}  // namespace
