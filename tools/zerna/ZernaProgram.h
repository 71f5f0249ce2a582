// zerna, the stand-in host, on every platform: parses its command line,
// loads the plug-in module, runs its import command a number of times and
// can record every host call in a trace. Returns the exit status.
#pragma once

int RunZerna(int argc, char** argv);
