// The plug-in's user-interface layer: a question box, a file-open dialog and
// error messages, one implementation per platform. All texts are GBK bytes.
#pragma once

#include <string>


enum class Answer { Yes, No, Cancel, Closed };

class UserInterface {
public:
    virtual ~UserInterface() = default;

    // Brought up at the start of every session and taken down at its end;
    // a failure here never stops a session.
    virtual void StartUp() = 0;
    virtual void ShutDown() = 0;

    // A modal Yes/No/Cancel question with a question-mark icon, no owner.
    virtual Answer AskYesNoCancel(const char* caption, const char* question) = 0;
    // A modal file-open dialog. filter: entries separated by '|', ended by "||".
    // True with the chosen file's full path in path; false leaves path alone.
    virtual bool ChooseOpenFile(const char* filter, std::string& path) = 0;
    // A modal error box with an OK button, an exclamation icon and the
    // module's own name as caption. text: NUL-terminated GBK bytes.
    virtual void ShowMessage(const char* text) = 0;
};

// The implementation for the platform the module was built for.
UserInterface& PlatformUserInterface();
