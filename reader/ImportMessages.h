// What an import tells its user, as codes: each with the GBK bytes the user
// is shown and what they mean in English. Callers tell messages apart by
// their codes, never by their texts.
#pragma once

enum class ImportMessage {
    FileDamaged,        // the header's first tag is wrong, or the file ends early or nests too deep
    NotKvdFile,         // the header's signature is not a kvd scene file's
    ImportDeclined,     // the destination (the host) declined to start the import
    CameraSectionEnd,   // the camera section does not end with its end tag
};

// The text shown to the user: GBK bytes, NUL-terminated.
const char* MessageText(ImportMessage message);
// What the text says, in English.
const char* MessageMeaning(ImportMessage message);
