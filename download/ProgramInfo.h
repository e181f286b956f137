#pragma once
// Where the running program lives and what it is called.
#include <string>

// The folder of the running executable, with a trailing "/".
std::string ProgramFolder();
// The application's name, or the executable's name without extension.
std::string ProgramTitle();
