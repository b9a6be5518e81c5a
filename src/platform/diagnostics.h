#pragma once

#include <string>

namespace kestrion {

// Free-form developer diagnostics (packet dumps, file errors). Off unless the environment variable
// KESTRION_DEBUG is set: "1" writes to standard error, any other value names a file to append to.
// Never a contract: callers may change the texts at will.
bool diagnosticsEnabled();
void debugTrace(const std::string& line);

}  // namespace kestrion
