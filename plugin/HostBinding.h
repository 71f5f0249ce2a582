// Finding the host's functions in the process's main module (Windows).
#pragma once

#include <string>

// Fills boundHost afresh from the main module's exports: each GB_ function
// under its C name or its Microsoft C++ name, the Point3d members under the
// Microsoft name for this architecture or the GNU name, all four from one
// compiler, or none. Returns the name of the first GB_ function the host
// does not export (the table is then left empty), or an empty string.
std::string BindHostFunctions();

// The message shown when the host lacks the function named.
std::string MissingHostFunctionMessage(const std::string& name);
