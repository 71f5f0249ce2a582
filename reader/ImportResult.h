// How one import ended: one value for each way, so that no caller has to
// work it out from the messages shown.
#pragma once

enum class ImportResult {
    Imported,        // the whole scene body was read and handed on
    CannotOpen,      // the file could not be opened for reading (SceneReader::openError says why)
    NotKvdFile,      // the header's signature is not a kvd scene file's
    HeaderDamaged,   // the header's first tag is wrong, or the header is cut short
    Declined,        // the destination declined the import: nothing was handed on
    BodyDamaged,     // the body ends early or nests too deep: what came before it was handed on
};

// Whether the destination was handed the scene body, whole or up to the damage.
inline bool BodyWasRead(ImportResult result)
{
    return result == ImportResult::Imported || result == ImportResult::BodyDamaged;
}
