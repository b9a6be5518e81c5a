#include "platform/hid/hid_path.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <limits>

namespace kestrion {
namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower >= 'a' && lower <= 'f')
        return lower - 'a' + 10;
    return -1;
}

// What "%x" reads at `pos`: blanks, an optional sign, an optional "0x", hexadecimal digits.
// An over-long number saturates, as strtoul does.
std::uint16_t scanHex(const std::string& text, std::size_t pos)
{
    while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos])))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        negative = text[pos++] == '-';
    if (pos + 2 < text.size() && text[pos] == '0' && (text[pos + 1] == 'x' || text[pos + 1] == 'X') &&
        hexDigit(text[pos + 2]) >= 0)
        pos += 2;
    std::uint64_t value = 0;
    bool saturated = false;
    for (; pos < text.size() && hexDigit(text[pos]) >= 0; ++pos) {
        if (value > (std::numeric_limits<std::uint64_t>::max() >> 4))
            saturated = true;
        value = (value << 4) | static_cast<std::uint64_t>(hexDigit(text[pos]));
    }
    if (saturated)
        return 0xFFFF;
    if (negative)
        value = ~value + 1;
    return static_cast<std::uint16_t>(value & 0xFFFF);
}

std::uint16_t parseAfterKey(const std::string& path, const std::string& key)
{
    const auto match = std::search(path.begin(), path.end(), key.begin(), key.end(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    });
    if (match == path.end())
        return 0;
    return scanHex(path, static_cast<std::size_t>(match - path.begin()) + key.size());
}

}  // namespace

std::uint16_t parseVendorId(const std::string& path)
{
    return parseAfterKey(path, "vid_");
}

std::uint16_t parseProductId(const std::string& path)
{
    return parseAfterKey(path, "pid_");
}

std::uint16_t parseInterfaceNumber(const std::string& path)
{
    return parseAfterKey(path, "&mi_");
}

std::uint16_t parseCollectionNumber(const std::string& path)
{
    return parseAfterKey(path, "&col");
}

std::string formatInterfaceSuffix(std::uint16_t vendorId, std::uint16_t productId, std::uint16_t interfaceNumber,
                                  std::uint16_t collectionNumber)
{
    char text[64];
    int n = std::snprintf(text, sizeof text, "#vid_%04x&pid_%04x&mi_%02x", vendorId, productId, interfaceNumber);
    if (collectionNumber != 0)
        std::snprintf(text + n, sizeof text - static_cast<std::size_t>(n), "&col%02x", collectionNumber);
    return text;
}

}  // namespace kestrion
