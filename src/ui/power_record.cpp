#include "ui/power_record.h"

#include <algorithm>
#include <array>

namespace kestrion::ui {

namespace {

constexpr std::size_t kPercentOffset = 0;
constexpr std::size_t kStateOffset = 1;
constexpr std::size_t kReceiverOffset = 3;
constexpr std::size_t kPhoneOffset = 5;
// Only this much of a record is looked at, however long the caller's buffer.
constexpr std::size_t kRecordLimit = 64;

constexpr int kMaxPercent = 100;
constexpr int kKindMouse = 2;
constexpr int kKindMousePad = 3;
constexpr std::uint8_t kOnBatteryState = 2;

constexpr std::array kStateImages{"power/powered.png", "power/powering.png", "power/power.png"};

struct PhoneRow {
    std::uint8_t code;
    const char* toolTipId;
    const char* image;
};

constexpr std::array kPhones{
    PhoneRow{1, "Phone_type_iphone", "power/Phone_type_iphone.png"},
    PhoneRow{2, "Phone_type_samsung", "power/Phone_type_samsung.png"},
    PhoneRow{3, "Phone_type_other", "power/Phone_type_other.png"},
};
constexpr PhoneRow kNoPhone{0, "Phone_type_no_device", "power/Phone_type_no_device.png"};

std::uint8_t byteAt(std::span<const std::uint8_t> record, std::size_t offset)
{
    return offset < std::min(record.size(), kRecordLimit) ? record[offset] : 0;
}

const PhoneRow& phoneRow(std::uint8_t code)
{
    const auto row = std::find_if(kPhones.begin(), kPhones.end(), [code](const auto& r) { return r.code == code; });
    return row != kPhones.end() ? *row : kNoPhone;
}

}  // namespace

PowerView decodePowerRecord(std::span<const std::uint8_t> record, int kind)
{
    PowerView view;
    view.percent = std::min<int>(byteAt(record, kPercentOffset), kMaxPercent);
    view.usedPart = kMaxPercent - view.percent;
    view.valueText = std::to_string(view.percent) + "%";
    if (kind == kKindMouse)
        view.wirelessSymbol = byteAt(record, kReceiverOffset) == 1;
    const std::uint8_t state = byteAt(record, kStateOffset);
    view.onBattery = state == kOnBatteryState;
    if (state < kStateImages.size())
        view.statusImage = kStateImages[state];
    if (kind == kKindMousePad) {
        const PhoneRow& phone = phoneRow(byteAt(record, kPhoneOffset));
        view.phone = PowerView::Phone{phone.toolTipId, phone.image};
    }
    return view;
}

}  // namespace kestrion::ui
