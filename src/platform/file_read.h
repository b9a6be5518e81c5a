#pragma once

#include <cstddef>
#include <string>

namespace kestrion {

// The whole content of a regular file of at most maxBytes; false when it cannot be read whole. The
// file is opened without blocking, so a FIFO or a device node in its place is refused at once
// instead of stalling the reader.
bool readWholeFile(const std::string& path, std::size_t maxBytes, std::string& bytes);

// Whether a reader that opens files blocking (Qt's settings files) may be handed the path: nothing
// is there yet, or a regular file of at most maxBytes (a link is followed). A FIFO would stall it,
// a device or a huge file would feed it without end.
bool safeToOpen(const std::string& path, std::size_t maxBytes);

}  // namespace kestrion
