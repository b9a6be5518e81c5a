#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace kestrion::test {

// A stored report descriptor from tests/data/descriptors (see the README there).
inline std::vector<std::uint8_t> descriptorBytes(const std::string& name)
{
    const std::string bytes = readFile(std::string(KESTRION_TEST_DATA) + "/descriptors/" + name);
    return {bytes.begin(), bytes.end()};
}

}  // namespace kestrion::test
