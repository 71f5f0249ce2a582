// A user interface that answers from a script and records what it was asked.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "plugin/UserInterface.h"
#include "tools/standin/TraceHost.h"

class ScriptedUserInterface : public UserInterface {
public:
    Answer answer = Answer::Yes;
    // The file the dialog returns; none: the user cancels the dialog.
    std::optional<std::string> chosenPath;
    // Also shown every message, so messages keep their place among the
    // host calls of its trace.
    TraceHost* messageEcho = nullptr;

    int startUps = 0;
    int shutDowns = 0;
    std::vector<std::string> questions;   // caption, newline, question
    std::vector<std::string> dialogFilters;
    std::vector<std::string> messages;

    void StartUp() override { ++startUps; }
    void ShutDown() override { ++shutDowns; }
    Answer AskYesNoCancel(const char* caption, const char* question) override;
    bool ChooseOpenFile(const char* filter, std::string& path) override;
    void ShowMessage(const char* text) override;
};
