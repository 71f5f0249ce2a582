// The import alone: reads a kvd file through the reader into the bench's
// counting host, which does no work per corner. Set beside kvd info, whose
// host also counts distinct vertices and bounds, it shows what the reader
// and the host calls cost by themselves.
//
//   bench_counting_import FILE
//
// Prints one line: "objects O triangles T".
#include <cstdio>

#include "bench/CountingHost.h"
#include "convert/HostDestination.h"
#include "reader/MessageSink.h"
#include "reader/SceneReader.h"

namespace {
class StderrMessages : public MessageSink {
public:
    void ShowMessage(ImportMessage message) override
    {
        std::fprintf(stderr, "bench_counting_import: %s\n", MessageMeaning(message));
    }
};
}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: bench_counting_import FILE\n", stderr);
        return 2;
    }
    StderrMessages messages;
    CountingHost host;
    SetSceneHost(&host);
    HostDestination destination;
    SceneReader reader(messages, destination);
    const ImportResult result = reader.ImportFile(argv[1]);
    SetSceneHost(nullptr);
    if (result != ImportResult::Imported)
        return 1;
    std::printf("objects %llu triangles %llu\n", static_cast<unsigned long long>(host.objects),
                static_cast<unsigned long long>(host.triangles));
    return 0;
}
