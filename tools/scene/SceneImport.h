// Reads one kvd file into a destination of the kvd tool, and says how it
// went. No host takes part.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "reader/SceneDestination.h"
#include "tools/scene/ImportProgress.h"

enum class ImportStatus {
    Complete,     // the whole scene body was read
    CannotOpen,   // the file could not be opened for reading
    Rejected,     // the header was rejected: not a kvd file, or damaged there
    Damaged,      // the body ended early: the host has what was read before
};

struct ImportReport {
    ImportStatus status = ImportStatus::CannotOpen;
    std::string openError;               // why the file did not open (UTF-8)
    std::vector<std::string> messages;   // every message shown to the user, GBK
    uint64_t fileSize = 0;
};

// progress, when given, hears of the reading position while the import runs.
ImportReport ImportScene(const std::string& path, SceneDestination& destination, ProgressSink* progress);

// An English gloss of a message the import shows (GBK), or empty.
std::string EnglishGloss(const std::string& message);
