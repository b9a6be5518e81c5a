#include "platform/diagnostics.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace kestrion {
namespace {

const char* debugSetting()
{
    const char* value = std::getenv("KESTRION_DEBUG");
    return (value && *value) ? value : nullptr;
}

}  // namespace

bool diagnosticsEnabled()
{
    return debugSetting() != nullptr;
}

void debugTrace(const std::string& line)
{
    const char* setting = debugSetting();
    if (!setting)
        return;
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    const bool toStderr = std::strcmp(setting, "1") == 0;
    FILE* out = toStderr ? stderr : std::fopen(setting, "a");
    if (!out)
        return;
    std::fputs(line.c_str(), out);
    if (line.empty() || line.back() != '\n')
        std::fputc('\n', out);
    if (toStderr)
        std::fflush(out);
    else
        std::fclose(out);
}

}  // namespace kestrion
