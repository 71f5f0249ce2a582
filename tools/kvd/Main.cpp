// kvd: command-line tool for kvd scene files, one verb per subcommand.
#include <cstdio>
#include <new>

#include "tools/kvd/Commands.h"
#include "tools/kvd/SceneCommands.h"

int main(int argc, char** argv)
{
    CLI::App app{"Tool for kvd scene files."};
    app.require_subcommand(1);
    int exitCode = 0;
    AddTraceCommand(app, exitCode);
    AddInfoCommand(app, exitCode);
    AddConvertCommand(app, exitCode);
    AddRenderCommand(app, exitCode);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return app.exit(error) == 0 ? 0 : kExitUsage;
    } catch (const std::bad_alloc&) {
        // The verbs say what they were doing; this is what is left.
        std::fputs("kvd: out of memory\n", stderr);
        return kExitOutOfMemory;
    }
    return exitCode;
}
