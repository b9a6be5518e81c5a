// A macro recorded on the mouse page, played by a button, reaches the simulated mouse's macro area.
#include "window_fixture.h"

#include <QAbstractButton>

#include "devices/event_container.h"
#include "editors/macro_control.h"
#include "profiles/json_file.h"

namespace kestrion::test {
namespace {

constexpr std::uint16_t kScanShift = 0x2A;
constexpr std::uint16_t kScanA = 0x1E;
constexpr std::uint16_t kMacroKeyPosition = 3;

RecordedInput keyInput(std::uint16_t scanCode, bool pressed)
{
    RecordedInput input;
    input.scanCode = scanCode;
    input.pressed = pressed;
    return input;
}

RecordedInput buttonInput(int bit, bool pressed)
{
    RecordedInput input;
    input.kind = RecordedInput::Kind::MouseButton;
    input.buttonBit = bit;
    input.pressed = pressed;
    return input;
}

class MacroRecording : public Application {
protected:
    QAbstractButton* button(const char* name) const
    {
        return window.mouse()->page()->findChild<QAbstractButton*>(QString::fromLatin1(name));
    }

    std::vector<int> macroArea(std::size_t length) { return sim.dump("macro", 0, static_cast<int>(length)); }
};

TEST_F(MacroRecording, ARecordedMacroPlayedByAButtonReachesTheMouseByteForByte)
{
    promptAnswer = 1;
    ASSERT_TRUE(start());
    sim.command("plug cable");
    ASSERT_TRUE(mouseOnline(true));
    ASSERT_TRUE(waitFor([&] { return !window.mouse()->hasDeviceWork()
                                  && !window.mouse()->profile().GetProfilePath().empty(); }, 5000));
    CMacroControlUI* macros = window.mouse()->macroPage();
    ASSERT_NE(macros, nullptr);

    button("macro_btn_name_add")->click();
    ASSERT_EQ(macros->library().count(), 1);
    ASSERT_EQ(window.mouse()->macroNames().size(), 1u);

    // The button plays the macro; the recording's end writes macros and keys.
    std::vector<KeyEntry> keys = window.mouse()->profile().GetKeyList();
    ASSERT_GT(keys.size(), kMacroKeyPosition);
    keys[kMacroKeyPosition].current.type = 0x70;
    keys[kMacroKeyPosition].current.param1 = 0;
    keys[kMacroKeyPosition].current.param2 = 0;
    window.mouse()->profile().SetKeyList(keys);

    button("macro_btn_starredio")->click();
    ASSERT_TRUE(macros->isRecording());
    for (const RecordedInput& input : {keyInput(kScanShift, true), keyInput(kScanA, true), keyInput(kScanA, false),
                                       keyInput(kScanShift, false), buttonInput(0x02, true), buttonInput(0x02, false)}) {
        macros->record(input);
        pause(15);
    }
    macros->stopRecording();
    EXPECT_FALSE(macros->isRecording());

    const Json::Value events = LoadJsonFile(macros->library().macroPath(0).string())["Events"];
    ASSERT_EQ(events.size(), 6u);
    const std::vector<std::uint8_t> expected = encodeEventContainer({encodeEvents(events)});
    ASSERT_TRUE(waitFor([&] { return sim.command("check macro").find("valid entries=1") != std::string::npos; },
                        5000))
        << sim.command("check macro");
    ASSERT_TRUE(waitFor([&] { return !window.mouse()->hasDeviceWork(); }, 5000));
    EXPECT_EQ(macroArea(expected.size()), std::vector<int>(expected.begin(), expected.end()));
    EXPECT_TRUE(prompts == std::vector<std::string>{"message_text_29"});
}

}  // namespace
}  // namespace kestrion::test
