#include "shell/device_manager/device_models.h"

#include <algorithm>

namespace kestrion {
namespace {

constexpr int kAnyRole = -1;

struct IconRule {
    int kind;
    int role;  // kAnyRole matches every role
    std::string_view prefix;  // empty: no icons
};

// First matching rule wins.
constexpr IconRule kIconRules[] = {
    {1, kAnyRole, "kb"},
    {2, kAnyRole, "ms"},
    {3, 0, "hard_mp"},
    {3, 1, "soft_mp"},
    {3, kAnyRole, ""},
    {4, kAnyRole, "hd"},
    {7, kAnyRole, "hd"},
    {5, kAnyRole, "hub"},
};

constexpr std::string_view kUnknownPrefix = "unknow";  // the image files' own spelling
constexpr std::string_view kIconFolder = "common/device_ico/";

}  // namespace

std::array<std::uint8_t, kFactoryBlockSize> factoryToolBlock()
{
    std::array<std::uint8_t, kFactoryBlockSize> block{};
    std::size_t at = 0;
    const auto put = [&block, &at](std::int32_t value) {
        const auto word = static_cast<std::uint32_t>(value);
        for (int shift = 0; shift < 32; shift += 8)
            block[at++] = static_cast<std::uint8_t>(word >> shift);
    };
    for (std::int32_t part : kFactoryToolVersion)
        put(part);
    put(static_cast<std::int32_t>(kDeviceModelTable.size()));
    for (const DeviceModel& model : kDeviceModelTable) {
        put(model.vendorId);
        put(model.productId);
        put(static_cast<std::int32_t>(model.deviceKind));
    }
    return block;
}

std::optional<int> findDeviceModel(std::uint16_t vendorId, std::uint16_t productId, DeviceKind kind,
                                   InterfaceRole role)
{
    const auto model = std::find_if(kDeviceModelTable.begin(), kDeviceModelTable.end(), [&](const DeviceModel& m) {
        return m.vendorId == vendorId && m.productId == productId && m.deviceKind == kind && m.interfaceRole == role;
    });
    if (model == kDeviceModelTable.end())
        return std::nullopt;
    return static_cast<int>(model - kDeviceModelTable.begin());
}

std::optional<int> modelForTableRow(const SupportedDeviceEntry& row, InterfaceRole role)
{
    if (row.deviceKind != DeviceKind::MouseReceiver)
        return findDeviceModel(row.vendorId, row.productId, row.deviceKind, role);
    const bool partnered = row.hasPartner && row.partnerIndex >= 0 &&
                           static_cast<std::size_t>(row.partnerIndex) < kSupportedDeviceTable.size();
    const SupportedDeviceEntry& ids =
        partnered ? kSupportedDeviceTable[static_cast<std::size_t>(row.partnerIndex)] : row;
    return findDeviceModel(ids.vendorId, ids.productId, DeviceKind::Mouse, role);
}

std::string_view selectorIconPrefix(int kind, int role)
{
    for (const IconRule& rule : kIconRules)
        if (rule.kind == kind && (rule.role == kAnyRole || rule.role == role))
            return rule.prefix;
    return kUnknownPrefix;
}

std::optional<SelectorIcons> selectorIcons(int kind, int role)
{
    const std::string_view prefix = selectorIconPrefix(kind, role);
    if (prefix.empty())
        return std::nullopt;
    const std::string base = std::string(kIconFolder) + std::string(prefix) + "_device_";
    return SelectorIcons{base + "normal.png", base + "selected.png", base + "synchro_normal.png",
                         base + "synchro_selected.png", std::string(prefix) + "_device_name_text"};
}

}  // namespace kestrion
