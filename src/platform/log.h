#pragma once

#include <cstdint>
#include <string>

namespace kestrion {

// The small presence log: "<data home>/Zorvane/Torvix.log". The folder is never created here:
// without it nothing is logged.
std::string logFilePath();

// Appends one line "YYYY-MM-DD-hh-mm-ss:" + message. A file already above the size limit is
// emptied first. Failures only lose the line.
void writeLog(const std::string& message);

inline constexpr std::uint64_t kLogSizeLimit = 4u * 1024u * 1024u;

// The time prefix of a log line for the given local broken-down time.
std::string logTimePrefix(const struct tm& local);

}  // namespace kestrion
