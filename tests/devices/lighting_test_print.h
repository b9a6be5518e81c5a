#pragma once

#include <ostream>

#include "devices/lighting_preview.h"

namespace kestrion {

// Failure messages show an LED as (red, green, blue, brightness).
inline void PrintTo(const KeyColour& colour, std::ostream* out)
{
    *out << "(" << int {colour.red} << ", " << int {colour.green} << ", " << int {colour.blue} << ", "
         << int {colour.brightness} << ")";
}

}  // namespace kestrion
