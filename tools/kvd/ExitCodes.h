// The kvd tool's exit codes, one per kind of outcome. Kept apart from the
// command-line parser so that code which runs without it (the browser
// viewer) reports outcomes the same way.
#pragma once

inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;
// The body of the file ended early; what was read is reported or converted.
inline constexpr int kExitDamaged = 3;
// The output could not be written, or would pass its format's size limit;
// nothing was left under its name.
inline constexpr int kExitCannotWrite = 4;
// convert --strict: a texture image was not found or could not be read.
inline constexpr int kExitMissingImages = 5;
// Memory ran out; no output was left behind.
inline constexpr int kExitOutOfMemory = 6;
