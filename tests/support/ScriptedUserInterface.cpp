#include "tests/support/ScriptedUserInterface.h"

Answer ScriptedUserInterface::AskYesNoCancel(const char* caption, const char* question)
{
    questions.push_back(std::string(caption) + "\n" + question);
    return answer;
}

bool ScriptedUserInterface::ChooseOpenFile(const char* filter, std::string& path)
{
    dialogFilters.emplace_back(filter);
    if (!chosenPath)
        return false;
    path = *chosenPath;
    return true;
}

void ScriptedUserInterface::ShowMessage(const char* text)
{
    messages.emplace_back(text);
    if (messageEcho != nullptr)
        messageEcho->ShowMessage(text);
}
