#pragma once

#include <string>
#include <vector>

namespace kestrion::audio {

// Runs a program found on PATH with the given arguments (argv[0] is the program) and waits for
// it. True when it ran and exited with status 0.
bool runCommand(const std::vector<std::string>& argv);

}  // namespace kestrion::audio
