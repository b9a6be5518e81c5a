#pragma once

#include <string>

namespace kestrion {

// Replaces the file at path with bytes: a temporary file in the same folder is written, flushed to
// disk and renamed over the old one, so readers see either the whole old or the whole new content.
// A symbolic link at path is itself replaced; the file it pointed at stays as it was. A folder or
// a special file at path (a FIFO, a device, a socket) is never replaced. False when anything
// failed or was refused; the old file is then untouched and no temporary file is left behind.
bool writeFileAtomically(const std::string& path, const std::string& bytes);

}  // namespace kestrion
