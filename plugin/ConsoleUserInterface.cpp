// The user-interface layer on a console: boxes and dialogs become lines on
// standard error, answers come from standard input. Texts are converted from
// GBK for the terminal.
#include <dlfcn.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "base/GbkText.h"
#include "plugin/UserInterface.h"

namespace {

// One line of standard input without its line end; false at end of input.
bool ReadAnswerLine(std::string& line)
{
    line.clear();
    int c;
    bool any = false;
    while ((c = std::fgetc(stdin)) != EOF) {
        any = true;
        if (c == '\n')
            break;
        line.push_back(static_cast<char>(c));
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    // A terminal echoes the typed line end; from a pipe nothing does, and the
    // next text would join the prompt's line.
    if (!isatty(STDIN_FILENO)) {
        std::fputc('\n', stderr);
        std::fflush(stderr);
    }
    return any;
}

std::string Trimmed(std::string_view text)
{
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    size_t last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

// The caption of error messages: this module's file name without extension,
// as loaded, so a renamed module shows its new name.
std::string ModuleName()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&ModuleName), &info) != 0 && info.dli_fname != nullptr)
        return std::filesystem::path(info.dli_fname).stem().string();
    return "plug-in";
}

class ConsoleUserInterface final : public UserInterface {
public:
    void StartUp() override {}
    void ShutDown() override { std::fflush(stderr); }

    Answer AskYesNoCancel(const char* caption, const char* question) override
    {
        std::fprintf(stderr, "%s: %s [y]es/[n]o/[c]ancel: ", GbkToUtf8(caption).c_str(),
                     GbkToUtf8(question).c_str());
        std::fflush(stderr);
        std::string line;
        if (!ReadAnswerLine(line))
            return Answer::Closed;
        std::string answer = Trimmed(line);
        for (char& c : answer)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (answer == "y" || answer == "yes")
            return Answer::Yes;
        if (answer == "n" || answer == "no")
            return Answer::No;
        if (answer == "c" || answer == "cancel")
            return Answer::Cancel;
        return Answer::Closed;
    }

    bool ChooseOpenFile(const char* filter, std::string& path) override
    {
        // The filter is "description|pattern|description|pattern||".
        std::string_view rest(filter);
        while (!rest.empty() && rest.front() != '|') {
            size_t bar = rest.find('|');
            std::string_view description = rest.substr(0, bar);
            rest.remove_prefix(bar == std::string_view::npos ? rest.size() : bar + 1);
            size_t patternEnd = rest.find('|');
            std::string_view pattern = rest.substr(0, patternEnd);
            rest.remove_prefix(patternEnd == std::string_view::npos ? rest.size() : patternEnd + 1);
            std::fprintf(stderr, "  %s  %s\n", GbkToUtf8(description).c_str(),
                         std::string(pattern).c_str());
        }
        std::fputs("Open file (empty to cancel): ", stderr);
        std::fflush(stderr);
        std::string line;
        if (!ReadAnswerLine(line))
            return false;
        std::string chosen = Trimmed(line);
        if (chosen.empty())
            return false;
        std::error_code error;
        std::filesystem::path absolute = std::filesystem::absolute(chosen, error);
        path = error ? chosen : absolute.string();
        return true;
    }

    void ShowMessage(const char* text) override
    {
        std::fprintf(stderr, "%s: %s\n", caption_.c_str(), GbkToUtf8(text).c_str());
        std::fflush(stderr);
    }

private:
    std::string caption_ = ModuleName();
};

}  // namespace

UserInterface& PlatformUserInterface()
{
    static ConsoleUserInterface ui;
    return ui;
}
