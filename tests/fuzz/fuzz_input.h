#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/json_access.h"

namespace kestrion::fuzz {

// The document a file of these bytes reads as: like the file readers, the text ends at the first
// zero byte.
inline Json::Value documentOf(const std::uint8_t* data, std::size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    text.resize(text.find('\0') == std::string::npos ? size : text.find('\0'));
    return parseJsonText(text);
}

}  // namespace kestrion::fuzz
