#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTest>

#include <array>
#include <cstdint>
#include <vector>

#include "ui/message_box.h"
#include "ui/power_display.h"
#include "ui/power_record.h"
#include "ui/qt_app.h"

namespace kestrion::test {
namespace {

constexpr int kMouse = 2;
constexpr int kMousePad = 3;
constexpr int kHeadset = 7;

struct DecodeCase {
    const char* what;
    std::vector<std::uint8_t> record;
    int kind;
    int percent;
    const char* text;
    std::optional<bool> wireless;
    const char* status;  // nullptr: the picture stays as it was
    const char* phone;   // nullptr: no phone picture for this kind
};

const DecodeCase kDecodeCases[] = {
    {"above 100 shows 100", {120, 2, 0, 0, 0, 0}, kMouse, 100, "100%", false, "power/power.png", nullptr},
    {"charging through the receiver", {35, 1, 0, 1, 0, 0}, kMouse, 35, "35%", true, "power/powering.png", nullptr},
    {"external power by cable", {100, 0, 0, 0, 0, 0}, kMouse, 100, "100%", false, "power/powered.png", nullptr},
    {"unknown state keeps the picture", {50, 3, 0, 1, 0, 0}, kMouse, 50, "50%", true, nullptr, nullptr},
    {"largest byte", {255, 255, 0, 2, 0, 0}, kMouse, 100, "100%", false, nullptr, nullptr},
    {"short record reads as zeros", {7}, kMouse, 7, "7%", false, "power/powered.png", nullptr},
    {"empty record", {}, kHeadset, 0, "0%", std::nullopt, "power/powered.png", nullptr},
    {"pad with an iPhone", {80, 1, 0, 0, 0, 1}, kMousePad, 80, "80%", std::nullopt, "power/powering.png",
     "power/Phone_type_iphone.png"},
    {"pad with a Samsung", {80, 1, 0, 0, 0, 2}, kMousePad, 80, "80%", std::nullopt, "power/powering.png",
     "power/Phone_type_samsung.png"},
    {"pad with another phone", {80, 1, 0, 0, 0, 3}, kMousePad, 80, "80%", std::nullopt, "power/powering.png",
     "power/Phone_type_other.png"},
    {"pad with an unknown phone code", {80, 1, 0, 0, 0, 7}, kMousePad, 80, "80%", std::nullopt,
     "power/powering.png", "power/Phone_type_no_device.png"},
    {"headset ignores the phone and receiver bytes", {60, 2, 0, 1, 0, 1}, kHeadset, 60, "60%", std::nullopt,
     "power/power.png", nullptr},
};

TEST(PowerRecord, DecodesEveryField)
{
    for (const auto& c : kDecodeCases) {
        SCOPED_TRACE(c.what);
        const ui::PowerView view = ui::decodePowerRecord(c.record, c.kind);
        EXPECT_EQ(view.percent, c.percent);
        EXPECT_EQ(view.usedPart, 100 - c.percent);
        EXPECT_EQ(view.valueText, c.text);
        EXPECT_EQ(view.wirelessSymbol, c.wireless);
        EXPECT_EQ(view.statusImage.value_or(""), c.status ? c.status : "");
        EXPECT_EQ(view.phone.has_value(), c.phone != nullptr);
        if (view.phone && c.phone) {
            EXPECT_EQ(view.phone->image, c.phone);
        }
    }
}

// Only the first 64 bytes of a long buffer are a record.
TEST(PowerRecord, LooksNoFurtherThanARecord)
{
    std::vector<std::uint8_t> buffer(200, 0);
    buffer[0] = 40;
    EXPECT_EQ(ui::decodePowerRecord(buffer, kMouse).percent, 40);
}

class PowerDisplayTest : public ::testing::Test {
protected:
    template <typename T = QWidget>
    T* part(const char* name) const
    {
        return display.findChild<T*>(name);
    }
    QString imageOf(const char* name) const { return part(name)->property("imageFile").toString(); }

    RealSkin real;
    ui::CMpDevicePowerUI display{{real.skin, real.factory, real.language}};
};

TEST_F(PowerDisplayTest, ChargingMouseInReceiverMode)
{
    ASSERT_TRUE(display.isBuilt());
    EXPECT_EQ(display.property("controlClass").toString(), "MpDevicePower");
    display.setKind(kMouse, 0);
    display.show();
    const std::array<std::uint8_t, 6> record{35, 1, 0, 1, 0, 0};
    display.showPowerRecord(record);
    EXPECT_EQ(part<QLabel>("device_power_value")->text(), "35%");
    EXPECT_EQ(part<QProgressBar>("device_Power_progress")->value(), 65);
    EXPECT_TRUE(part("device_Power_progress")->isVisible());
    EXPECT_EQ(imageOf("device_power_status"), "power/powering.png");
    EXPECT_FALSE(part<QLabel>("device_power_status")->pixmap().isNull());
    EXPECT_TRUE(part("device_wuxian_logo")->isVisible());
    EXPECT_FALSE(part("device_phone_type")->isVisible());

    const std::array<std::uint8_t, 6> wired{120, 0, 0, 0, 0, 0};
    display.showPowerRecord(wired);
    EXPECT_EQ(part<QLabel>("device_power_value")->text(), "100%");
    EXPECT_EQ(part<QProgressBar>("device_Power_progress")->value(), 0);
    EXPECT_EQ(imageOf("device_power_status"), "power/powered.png");
    EXPECT_FALSE(part("device_wuxian_logo")->isVisible());
}

TEST_F(PowerDisplayTest, PadShowsThePhoneWithItsToolTip)
{
    display.setKind(kMousePad, 0);
    display.show();
    const std::array<std::uint8_t, 6> iphone{90, 1, 0, 0, 0, 1};
    display.showPowerRecord(iphone);
    EXPECT_TRUE(part("device_phone_type")->isVisible());
    EXPECT_EQ(imageOf("device_phone_type"), "power/Phone_type_iphone.png");
    EXPECT_EQ(part("device_phone_type")->toolTip(), real.language.text("Phone_type_iphone"));

    const std::array<std::uint8_t, 6> unknown{90, 1, 0, 0, 0, 7};
    display.showPowerRecord(unknown);
    EXPECT_EQ(imageOf("device_phone_type"), "power/Phone_type_no_device.png");
    EXPECT_EQ(part("device_phone_type")->toolTip(), real.language.text("Phone_type_no_device"));
    EXPECT_FALSE(part<QLabel>("device_phone_type")->pixmap().isNull());
    EXPECT_TRUE(real.language.contains("Phone_type_no_device"));
}

TEST_F(PowerDisplayTest, LayoutWithoutThePhonePartUpdatesNothing)
{
    display.setKind(kMousePad, 0);
    delete part("device_phone_type");
    const std::array<std::uint8_t, 6> record{35, 1, 0, 1, 0, 1};
    display.showPowerRecord(record);
    EXPECT_EQ(part<QLabel>("device_power_value")->text(), "--%");
    EXPECT_EQ(part<QProgressBar>("device_Power_progress")->value(), 100);
    EXPECT_EQ(imageOf("device_power_status"), "");
}

TEST_F(PowerDisplayTest, BatteryGroupShowsOnlyForWirelessDevices)
{
    display.show();
    display.showWireless(false);
    EXPECT_FALSE(part("device_power_Layout")->isVisible());
    display.showWireless(true);
    EXPECT_TRUE(part("device_power_Layout")->isVisible());
}

TEST_F(PowerDisplayTest, ClickReportsActivation)
{
    display.show();
    QSignalSpy activated(&display, &ui::CMpDevicePowerUI::activated);
    QTest::mouseClick(&display, Qt::LeftButton);
    EXPECT_EQ(activated.count(), 1);
}

}  // namespace
}  // namespace kestrion::test
