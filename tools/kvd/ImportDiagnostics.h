// What info, convert and render share: telling the user, in UTF-8, why an
// import did not succeed, and what memory a verb needs.
#pragma once

#include <string>

#include "tools/kvd/JobOutput.h"
#include "tools/scene/SceneImport.h"

// A message of the import in UTF-8, with its English meaning.
std::string DescribeMessage(ImportMessage message);

// Why the header was rejected or the body cut short, in UTF-8: the message
// the import showed for its result (not for Imported or CannotOpen).
std::string DescribeResult(ImportResult result);

// The exit code for an import that went wrong, with the reason printed to
// output's error stream; 0 when the import read the whole file.
int ReportImportFailure(const std::string& path, const ImportReport& report, JobOutput& output);

// What a verb needs: bytes per vertex of the largest mesh, and a fixed part.
struct MemoryNeed {
    int bytesPerVertex;
    int fixedMiB;
};

// Says that memory ran out while doing (e.g. "reading scene.kvd"), how much
// the verb needs for a file of path's size, and the outcome ("nothing was
// written"); returns kExitOutOfMemory.
int ReportOutOfMemory(const std::string& path, const std::string& doing, const MemoryNeed& need,
                      JobOutput& output, const char* outcome = "nothing was written");

// The help text's list of exit codes.
std::string ExitCodeHelp();
