#include "profiles/update_rows.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/paths.h"

namespace kestrion {
namespace {

constexpr std::string_view kUpdateDataFolder = "/UpdateData";
constexpr std::string_view kProgramUpdateFolder = "/Update";
constexpr int kFirmwareDigits = 4;
constexpr int kMaxPercent = 100;

std::string_view withoutPrefix(std::string_view text)
{
    if (!text.empty() && (text.front() == 'V' || text.front() == 'v'))
        text.remove_prefix(1);
    return text;
}

std::string_view trimmed(std::string_view text)
{
    constexpr std::string_view kSpace = " \t\r\n";
    const std::size_t first = text.find_first_not_of(kSpace);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(kSpace) - first + 1);
}

// The whole text as one number of that base, nothing when anything else is there.
std::optional<long> wholeNumber(std::string_view text, int base)
{
    long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 0)
        return std::nullopt;
    return value;
}

std::string cacheHome()
{
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && *cache)
        return cache;
    const char* home = std::getenv("HOME");
    return home && *home ? std::string(home) + "/.cache" : std::string();
}

// Another user able to change the program could run code as this one.
bool isRunnableProgram(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    const bool trustedOwner = info.st_uid == ::getuid() || info.st_uid == 0;
    const bool othersMayWrite = (info.st_mode & (S_IWGRP | S_IWOTH)) != 0;
    return trustedOwner && !othersMayWrite && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

bool rowIsSettled(int state)
{
    return state == kRowFirmwareUpdate || state == kRowApplicationUpdate || state == kRowUpToDate
        || state == kRowFinished;
}

bool rowOffersUpdate(int state)
{
    return state == kRowFirmwareUpdate || state == kRowApplicationUpdate;
}

std::optional<VersionParts> parseFirmwareVersion(std::string_view text)
{
    text = withoutPrefix(trimmed(text));
    if (text.size() != kFirmwareDigits)
        return std::nullopt;
    const std::optional<long> number = wholeNumber(text, 16);
    if (!number)
        return std::nullopt;
    return VersionParts{*number};
}

std::optional<VersionParts> parseApplicationVersion(std::string_view text)
{
    text = withoutPrefix(trimmed(text));
    VersionParts parts;
    while (true) {
        const std::size_t dot = text.find('.');
        const std::optional<long> number = wholeNumber(text.substr(0, dot), 10);
        if (!number)
            return std::nullopt;
        parts.push_back(*number);
        if (dot == std::string_view::npos)
            return parts;
        text.remove_prefix(dot + 1);
    }
}

std::string firmwareVersionText(int version)
{
    char text[16];
    std::snprintf(text, sizeof text, "V%04x", static_cast<unsigned>(version) & 0xFFFFu);
    return text;
}

std::string applicationVersion()
{
    return KESTRION_VERSION;
}

std::string applicationVersionText()
{
    return "V" + applicationVersion();
}

std::optional<int> progressOfLine(std::string_view line)
{
    line = trimmed(line);
    if (!line.empty() && line.back() == '%')
        line.remove_suffix(1);
    const std::optional<long> percent = wholeNumber(line, 10);
    if (!percent || *percent > kMaxPercent)
        return std::nullopt;
    return static_cast<int>(*percent);
}

std::vector<std::string> updateProgramFolders(const std::string& programFolder)
{
    std::vector<std::string> folders;
    const std::string runtime = runtimeDir();
    const std::string userFolder = runtime.empty() ? cacheHome() : runtime;
    if (!userFolder.empty())
        folders.push_back(userFolder + std::string(kUpdateDataFolder));
    folders.push_back(programFolder + std::string(kProgramUpdateFolder));
    return folders;
}

std::string findUpdateProgram(const std::vector<std::string>& folders, std::string_view shortName)
{
    for (const std::string& folder : folders) {
        const std::string path = folder + "/" + std::string(shortName);
        if (isRunnableProgram(path))
            return path;
    }
    return {};
}

}  // namespace kestrion
