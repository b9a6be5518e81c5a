#include "platform/log.h"

#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/diagnostics.h"
#include "platform/paths.h"

namespace kestrion {

std::string logFilePath()
{
    return dataHome() + "/Zorvane/Torvix.log";
}

std::string logTimePrefix(const struct tm& local)
{
    char prefix[64];
    std::snprintf(prefix, sizeof prefix, "%4d-%02d-%02d-%02d-%02d-%02d:", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return prefix;
}

void writeLog(const std::string& message)
{
    // O_APPEND with one write() per line keeps lines from several threads whole.
    const int fd = ::open(logFilePath().c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        debugTrace("unable to open log file");
        return;
    }
    struct stat info {};
    if (fstat(fd, &info) == 0 && static_cast<std::uint64_t>(info.st_size) > kLogSizeLimit)
        (void)ftruncate(fd, 0);

    const std::time_t now = std::time(nullptr);
    struct tm local {};
    localtime_r(&now, &local);
    const std::string line = logTimePrefix(local) + message + "\n";
    (void)::write(fd, line.data(), line.size());
    ::close(fd);
}

}  // namespace kestrion
