// Reads one kvd file into a destination of the kvd tool, and says how it
// went. No host takes part.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "reader/ImportMessages.h"
#include "reader/ImportResult.h"
#include "reader/SceneDestination.h"
#include "tools/scene/ImportProgress.h"

struct ImportReport {
    ImportResult result = ImportResult::CannotOpen;
    std::string openError;                 // why the file did not open (UTF-8)
    std::vector<ImportMessage> messages;   // every message shown to the user, in order
    uint64_t fileSize = 0;                 // 0 when not known
};

// progress, when given, hears of the reading position while the import runs.
ImportReport ImportScene(const std::string& path, SceneDestination& destination, ProgressSink* progress);

// The same import from bytes in memory (no progress: memory is read at once).
ImportReport ImportSceneBytes(const uint8_t* data, size_t size, SceneDestination& destination);

// Files at least this large get a progress bar, when standard error is a
// terminal and the user did not ask for quiet.
inline constexpr uint64_t kProgressFileSize = 8ull << 20;

// Whether the progress bar is shown for this file.
bool ShowsProgress(const std::string& path, bool quiet);

// ImportScene with a progress bar on standard error when it helps. Safe to
// call from several threads: each import has its own reader and destination.
ImportReport ImportWithProgress(const std::string& path, SceneDestination& destination, bool quiet);

// Why a file could not be opened, from the reader's errno value, in words.
std::string OpenErrorText(int error);
