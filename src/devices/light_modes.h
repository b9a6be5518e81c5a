#pragma once

#include <QString>

#include <vector>

namespace kestrion {

// One lighting mode as "default_light.json" lists it for a product: its name (a language text
// id), whether the mode list shows it, and the code the device takes for it.
struct LightModeEntry {
    QString name;
    bool visible = false;
    int code = 0;
};

// The modes of product `modelValue` in the program's "default_light.json"; none when the file or
// the product's list is missing.
std::vector<LightModeEntry> loadLightModes(int modelValue);
// Their device codes, in mode order.
std::vector<int> modeCodesOf(const std::vector<LightModeEntry>& modes);

}  // namespace kestrion
