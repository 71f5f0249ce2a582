#include "tests/support/CheckedImport.h"

#include "convert/HostDestination.h"
#include "reader/SceneReader.h"

namespace {
template <class RunImport>
CheckedImportResult RunInstalled(CheckingHost& host, RunImport&& runImport)
{
    SceneHost* previous = SetSceneHost(&host);
    CheckedImportResult result;
    {
        HostDestination destination;
        SceneReader reader(host, destination);
        result.result = runImport(reader);
        result.imported = BodyWasRead(result.result) ? 1 : 0;
        result.damaged = result.result == ImportResult::BodyDamaged || result.result == ImportResult::HeaderDamaged;
        HostDestination::EndImport();
    }
    SetSceneHost(previous);
    host.FinishSession();
    return result;
}
}  // namespace

CheckedImportResult RunCheckedImport(CheckingHost& host, const uint8_t* data, size_t size)
{
    return RunInstalled(host, [&](SceneReader& reader) { return reader.ImportBytes(data, size); });
}

CheckedImportResult RunCheckedImport(CheckingHost& host, const std::vector<uint8_t>& bytes)
{
    return RunCheckedImport(host, bytes.data(), bytes.size());
}

CheckedImportResult RunCheckedFileImport(CheckingHost& host, const std::string& path)
{
    return RunInstalled(host, [&](SceneReader& reader) { return reader.ImportFile(path); });
}
