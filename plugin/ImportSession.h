// One import session: what go does between start-up and shut-down.
#pragma once

#include <string>

#include "plugin/UserInterface.h"

// Lets the user pick the scene file. 1 with path set, 0 when cancelled.
int ChooseSceneFile(UserInterface& ui, std::string& path);

// Runs a whole session through ui and the host: 0 when the user declined the
// question or cancelled the dialog, 1 once a file was chosen.
int RunImportSession(UserInterface& ui);
