#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace devsim {

// "0A FF 10": upper-case pairs separated by single spaces.
std::string hexText(const std::vector<std::uint8_t>& bytes);
// The reverse; nothing when a token is not one or two hexadecimal digits.
std::optional<std::vector<std::uint8_t>> parseHexText(const std::string& text);

}  // namespace devsim
