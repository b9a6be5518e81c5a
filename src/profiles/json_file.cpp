#include "profiles/json_file.h"

#include "platform/diagnostics.h"
#include "platform/file_read.h"
#include "platform/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <json/writer.h>
#include <memory>

namespace kestrion {

std::string readjsonFile(const std::string& path)
{
    std::string bytes;
    errno = 0;
    const bool complete = readWholeFile(path, kMaxJsonFileBytes, bytes);
    debugTrace("readjsonFile 错误吗：：" + std::to_string(errno));
    if (!complete)
        return {};
    const auto zero = bytes.find('\0');
    if (zero != std::string::npos)
        bytes.resize(zero);
    return bytes;
}

Json::Value LoadJsonFile(const std::string& path)
{
    const std::string text = readjsonFile(path);
    if (text.empty()) {
        debugTrace("LoadJsonFile: nothing to read in " + path);
        return Json::Value();
    }
    Json::Value document = parseJsonText(text);
    if (document.isNull())
        debugTrace("LoadJsonFile: cannot parse " + path);
    return document;
}

std::string styledJsonText(const Json::Value& value)
{
    Json::StyledWriter writer;
    return writer.write(value) + "\n";
}

bool SaveJsonFile(const Json::Value& value, const std::string& path)
{
    const std::string text = styledJsonText(value);
    // A document the readers would refuse is not written: it would read back as damaged.
    if (text.size() > kMaxJsonFileBytes) {
        debugTrace("SaveJsonFile: document too large for " + path);
        return false;
    }
    return writeFileAtomically(path, text);
}

std::string MakeTimeStamp(std::chrono::system_clock::time_point when)
{
    const auto sinceEpoch = when.time_since_epoch();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count() % 1000;
    std::tm local {};
    localtime_r(&seconds, &local);
    char text[64];
    std::snprintf(text, sizeof text, "%d_%02d_%02d_%02d_%02d_%02d_%03d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(millis));
    return text;
}

std::string MakeTimeStamp()
{
    return MakeTimeStamp(std::chrono::system_clock::now());
}

}  // namespace kestrion
