#include "tests/support/CheckedImport.h"

#include "host/SceneBuilder.h"
#include "reader/SceneReader.h"

CheckedImportResult RunCheckedImport(CheckingHost& host, const uint8_t* data, size_t size)
{
    SceneHost* previous = SetSceneHost(&host);
    CheckedImportResult result;
    {
        SceneReader reader(host);
        result.imported = reader.ImportBytes(data, size);
        result.damaged = reader.damaged();
        GB_EndImport();
    }
    SetSceneHost(previous);
    host.FinishSession();
    return result;
}

CheckedImportResult RunCheckedImport(CheckingHost& host, const std::vector<uint8_t>& bytes)
{
    return RunCheckedImport(host, bytes.data(), bytes.size());
}
