#include "reader/ImportMessages.h"

const char* MessageText(ImportMessage message)
{
    switch (message) {
    case ImportMessage::FileDamaged:
        // "文件已破坏": the file is damaged.
        return "\xce\xc4\xbc\xfe\xd2\xd1\xc6\xc6\xbb\xb5";
    case ImportMessage::NotKvdFile:
        // "不是TRQ格式文件": not a TRQ format file.
        return "\xb2\xbb\xca\xc7TRQ\xb8\xf1\xca\xbd\xce\xc4\xbc\xfe";
    case ImportMessage::ImportDeclined:
        return "GB_StartImport error";
    case ImportMessage::CameraSectionEnd:
        return "Output Camera Error";
    }
    return "";
}

const char* MessageMeaning(ImportMessage message)
{
    switch (message) {
    case ImportMessage::FileDamaged:
        return "the file is damaged";
    case ImportMessage::NotKvdFile:
        return "not a kvd scene file";
    case ImportMessage::ImportDeclined:
        return "the host declined to start the import";
    case ImportMessage::CameraSectionEnd:
        return "the camera section does not end where expected";
    }
    return "";
}
