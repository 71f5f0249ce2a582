// Runs one import session over bytes in memory with a CheckingHost: the
// reader imports the bytes, then the session ends the host's import, as the
// plug-in's session does for a chosen file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "reader/ImportResult.h"
#include "tests/support/CheckingHost.h"

struct CheckedImportResult {
    ImportResult result = ImportResult::CannotOpen;
    int imported = 0;        // 1 when the scene body was read, whole or up to damage
    bool damaged = false;    // the header or the body was damaged (the user was told so)
};

// Installs host for the session and checks its end (FinishSession).
CheckedImportResult RunCheckedImport(CheckingHost& host, const uint8_t* data, size_t size);
CheckedImportResult RunCheckedImport(CheckingHost& host, const std::vector<uint8_t>& bytes);
// The same session over a file, read through the file reader's blocks.
CheckedImportResult RunCheckedFileImport(CheckingHost& host, const std::string& path);
