#include "devsim/hex_text.h"

#include <cstdio>
#include <sstream>

namespace devsim {

std::string hexText(const std::vector<std::uint8_t>& bytes)
{
    std::string text;
    text.reserve(bytes.size() * 3);
    char pair[3];
    for (std::uint8_t b : bytes) {
        std::snprintf(pair, sizeof pair, "%02X", b);
        if (!text.empty())
            text += ' ';
        text += pair;
    }
    return text;
}

std::optional<std::vector<std::uint8_t>> parseHexText(const std::string& text)
{
    std::vector<std::uint8_t> bytes;
    std::istringstream in(text);
    std::string token;
    while (in >> token) {
        if (token.size() > 2)
            return std::nullopt;
        std::size_t used = 0;
        int value = 0;
        try {
            value = std::stoi(token, &used, 16);
        } catch (const std::exception&) {
            return std::nullopt;
        }
        if (used != token.size() || value < 0)
            return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(value));
    }
    return bytes;
}

}  // namespace devsim
