// libFuzzer entry: imports the input bytes as one import session imports a
// file, through the same reader and input buffer, with a host that checks
// every rule of the host interface.
//
// Each input is imported twice: once with a host that accepts everything,
// once with one that refuses some objects and surfaces. A refused object
// still has its faces passed over, so both imports must read the same
// objects, and every object both accepted must have reached them alike.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "reader/UserTexts.h"
#include "tests/support/CheckedImport.h"

namespace {

struct ImportOutcome {
    bool damaged = false;
    int objects = 0;
    std::vector<uint64_t> digests;
};

[[noreturn]] void Fail(const char* what, const std::string& details)
{
    std::fprintf(stderr, "kvd_fuzz: %s\n%s", what, details.c_str());
    std::abort();
}

ImportOutcome Import(const uint8_t* data, size_t size, CheckingHostOptions options)
{
    options.keepCalls = false;
    CheckingHost host(options);
    CheckedImportResult result = RunCheckedImport(host, data, size);
    if (!host.violations().empty())
        Fail("host rule broken", host.ViolationReport());
    if (result.damaged && host.MessageCount(texts::kFileDamaged) != 1)
        Fail("damaged import without its one message", "");
    return {result.damaged, host.objectsBegun(), host.objectDigests()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ImportOutcome accepting = Import(data, size, {});
    CheckingHostOptions refusing;
    refusing.refuseEveryObject = 3;
    refusing.refuseEverySurface = 2;
    ImportOutcome refused = Import(data, size, refusing);

    if (accepting.damaged != refused.damaged || accepting.objects != refused.objects)
        Fail("a refused object or surface changed what was read after it", "");
    for (size_t i = 0; i < refused.digests.size(); ++i) {
        if (refused.digests[i] != 0 && refused.digests[i] != accepting.digests[i])
            Fail("an object reached the host differently after a refusal", "");
    }
    return 0;
}
