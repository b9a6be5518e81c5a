// A macro recorded on the mouse page, played by a button, reaches the simulated mouse's macro area.
#include "window_fixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>

#include <linux/input-event-codes.h>

#include "devices/event_container.h"
#include "devices/mouse_transfer.h"
#include "editors/key_function.h"
#include "pages/macro_control.h"
#include "profiles/json_file.h"

namespace kestrion::test {
namespace {

constexpr std::size_t kMacroKeyPosition = 3;
constexpr quint32 kX11Offset = 8;
constexpr int kKeyTableBytes = 48;

class MacroRecording : public Application {
protected:
    QAbstractButton* button(const char* name) const
    {
        return mouseView()->content()->findChild<QAbstractButton*>(QString::fromLatin1(name));
    }

    std::vector<int> macroArea(std::size_t length) { return sim.dump("macro", 0, static_cast<int>(length)); }

    // A key as X11 delivers it to the window (native scan code = evdev code + 8).
    void sendKey(QEvent::Type type, int qtKey, quint32 linuxKey, Qt::KeyboardModifiers modifiers = {})
    {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &window;
        QKeyEvent key(type, qtKey, modifiers, linuxKey + kX11Offset, 0, 0, QString());
        QApplication::sendEvent(target, &key);
        pause(15);
    }

    // Chooses a row of a closed list with the keyboard, as the user can.
    void choose(const char* name, int row)
    {
        auto* list = window.findChild<QComboBox*>(QString::fromLatin1(name));
        ASSERT_NE(list, nullptr) << name;
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Home);
        for (int i = 0; i < row; ++i)
            QTest::keyClick(list, Qt::Key_Down);
        ASSERT_EQ(list->currentIndex(), row) << name;
    }

    void clickOn(QWidget* widget, Qt::MouseButton mouseButton)
    {
        QTest::mouseClick(widget, mouseButton);
        pause(15);
    }
};

TEST_F(MacroRecording, ARecordedMacroPlayedByAButtonReachesTheMouseByteForByte)
{
    promptAnswer = 1;
    ASSERT_TRUE(start());
    sim.command("plug cable");
    ASSERT_TRUE(mouseOnline(true));
    ASSERT_TRUE(waitFor([&] { return !window.mouse()->hasDeviceWork()
                                  && window.mouse()->dpiRange().has_value(); }, 5000));
    CMacroControlUI* macros = mouseView()->macroPage();
    ASSERT_NE(macros, nullptr);

    button("macro_btn_name_add")->click();
    ASSERT_EQ(macros->library().count(), 1);
    ASSERT_EQ(mouseView()->macroNames().size(), 1u);

    window.activate();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::mouseClick(button("macro_Op_tab"), Qt::LeftButton);
    ASSERT_TRUE(button("macro_btn_starredio")->isVisible());
    QTest::mouseClick(button("macro_btn_starredio"), Qt::LeftButton);
    ASSERT_TRUE(macros->isRecording());
    ASSERT_TRUE(window.inputCapture().isActive());
    EXPECT_FALSE(window.findChild<QWidget*>("device_select_layout")->isEnabled());
    EXPECT_FALSE(button("key_Op_tab")->isEnabled());

    sendKey(QEvent::KeyPress, Qt::Key_Shift, KEY_LEFTSHIFT);
    sendKey(QEvent::KeyPress, Qt::Key_A, KEY_A, Qt::ShiftModifier);
    sendKey(QEvent::KeyRelease, Qt::Key_A, KEY_A, Qt::ShiftModifier);
    sendKey(QEvent::KeyRelease, Qt::Key_Shift, KEY_LEFTSHIFT);
    clickOn(mouseView()->content()->findChild<QWidget*>("macro_action_list"), Qt::RightButton);
    clickOn(button("macro_btn_stopredio"), Qt::LeftButton);
    EXPECT_FALSE(macros->isRecording());
    EXPECT_FALSE(window.inputCapture().isActive());
    EXPECT_TRUE(window.findChild<QWidget*>("device_select_layout")->isEnabled());
    EXPECT_TRUE(button("key_Op_tab")->isEnabled());

    const Json::Value events = LoadJsonFile(macros->library().macroPath(0).string())["Events"];
    ASSERT_EQ(events.size(), 6u) << events.toStyledString();
    ASSERT_TRUE(waitFor([&] { return !window.mouse()->hasDeviceWork(); }, 5000));

    // The buttons tab: a button plays the macro, saved to the mouse.
    const std::vector<int> factory = sim.dump("keys", 0, kKeyTableBytes);
    const std::vector<std::uint8_t> factoryBytes(factory.begin(), factory.end());
    const FunctionKeyIndex slot = functionKeyIndex(factoryBytes.data(), factoryBytes.size() / 3);
    QTest::mouseClick(button("key_Op_tab"), Qt::LeftButton);
    QTest::mouseClick(button("key_3"), Qt::LeftButton);
    auto* page = window.findChild<QComboBox*>("keyset_function_combo");
    choose("keyset_function_combo", page->findData(KeyPage::Macro));
    choose("keyset_macro_combo", 0);
    QTest::mouseClick(button("key_butt_prosave"), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return !window.mouse()->hasDeviceWork(); }, 10000));

    const std::vector<int> table = sim.dump("keys", 0, kKeyTableBytes);
    const std::size_t at = slot[kMacroKeyPosition] * 3;
    EXPECT_EQ(table.at(at), 0x70);
    EXPECT_EQ(table.at(at + 1), 0x00);
    const std::vector<std::uint8_t> expected = encodeEventContainer({encodeEvents(macroEventsOf(events))});
    EXPECT_EQ(sim.command("check macro"), "ok valid entries=1 events=6");
    EXPECT_EQ(macroArea(expected.size()), std::vector<int>(expected.begin(), expected.end()));
    EXPECT_TRUE(prompts == std::vector<std::string>{"message_text_29"});
}

}  // namespace
}  // namespace kestrion::test
