#include "ui/device_icons.h"

#include <array>

namespace kestrion::ui {

namespace {

constexpr int kAnyRole = -1;
constexpr int kAnyKind = -1;

struct IconRow {
    int kind;
    int role;
    const char* prefix;  // nullptr: the device gets no pictures
};

// First matching row wins; the last row catches every other kind.
constexpr std::array kIconRows{
    IconRow{1, kAnyRole, "kb"},
    IconRow{2, kAnyRole, "ms"},
    IconRow{3, 0, "hard_mp"},
    IconRow{3, 1, "soft_mp"},
    IconRow{3, kAnyRole, nullptr},
    IconRow{4, kAnyRole, "hd"},
    IconRow{7, kAnyRole, "hd"},
    IconRow{5, kAnyRole, "hub"},
    IconRow{kAnyKind, kAnyRole, "unknow"},
};

constexpr std::array<std::string_view, 7> kPrefixes{"kb", "ms", "hard_mp", "soft_mp", "hd", "hub", "unknow"};

constexpr const char* kIconFolder = "common/device_ico/";

bool matches(const IconRow& row, int kind, int role)
{
    return (row.kind == kAnyKind || row.kind == kind) && (row.role == kAnyRole || row.role == role);
}

std::string picture(std::string_view prefix, const char* state)
{
    return std::string(kIconFolder).append(prefix).append("_device_").append(state).append(".png");
}

std::optional<std::string_view> deviceIconPrefix(int kind, int role)
{
    for (const auto& row : kIconRows) {
        if (!matches(row, kind, role))
            continue;
        if (!row.prefix)
            return std::nullopt;
        return std::string_view(row.prefix);
    }
    return std::nullopt;
}

}  // namespace

std::optional<DeviceIcons> deviceIcons(int kind, int role)
{
    const auto prefix = deviceIconPrefix(kind, role);
    if (!prefix)
        return std::nullopt;
    return DeviceIcons{
        picture(*prefix, "normal"),
        picture(*prefix, "selected"),
        picture(*prefix, "synchro_normal"),
        picture(*prefix, "synchro_selected"),
        std::string(*prefix).append("_device_name_text"),
    };
}

std::span<const std::string_view> deviceIconPrefixes()
{
    return kPrefixes;
}

}  // namespace kestrion::ui
