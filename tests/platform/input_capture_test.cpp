#include "platform/input_capture.h"
#include "ui/qt_app.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>
#include <memory>

namespace kestrion {
namespace {

constexpr quint32 kX11Offset = 8;

// A window with a focused edit and a Ctrl+Q shortcut, shown and active.
class InputCaptureTest : public ::testing::Test {
protected:
    InputCaptureTest()
    {
        test::ensureQtApp();
        window = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(window.get());
        edit = new QLineEdit(window.get());
        other = new QLineEdit(window.get());
        layout->addWidget(edit);
        layout->addWidget(other);
        auto* quit = new QAction(window.get());
        quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
        quit->setShortcutContext(Qt::ApplicationShortcut);
        QObject::connect(quit, &QAction::triggered, [this] { ++shortcutsFired; });
        window->addAction(quit);
        window->show();
        window->activateWindow();
        test::waitFor([this] { return window->isActiveWindow(); });
        edit->setFocus();
        qRegisterMetaType<CapturedInput>();
    }

    // A key event as X11 delivers it: the native scan code is the evdev code + 8. The shortcut
    // override goes first, as the platform sends it; true when it was taken from the shortcuts.
    bool sendKey(QEvent::Type type, int qtKey, quint32 linuxKey, Qt::KeyboardModifiers modifiers = {},
                 const QString& text = {})
    {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : window.get();
        bool overridden = false;
        if (type == QEvent::KeyPress) {
            QKeyEvent override(QEvent::ShortcutOverride, qtKey, modifiers, linuxKey + kX11Offset, 0, 0, text);
            override.ignore();
            QApplication::sendEvent(target, &override);
            overridden = override.isAccepted();
        }
        QKeyEvent key(type, qtKey, modifiers, linuxKey + kX11Offset, 0, 0, text);
        QApplication::sendEvent(target, &key);
        return overridden;
    }

    void typeA()
    {
        sendKey(QEvent::KeyPress, Qt::Key_A, KEY_A, {}, "a");
        sendKey(QEvent::KeyRelease, Qt::Key_A, KEY_A, {}, "a");
    }

    std::unique_ptr<QWidget> window;
    QLineEdit* edit = nullptr;
    QLineEdit* other = nullptr;
    int shortcutsFired = 0;
    InputCapture capture;
};

TEST_F(InputCaptureTest, KeysAreReportedBySetOneScanCodeAndSwallowed)
{
    QSignalSpy spy(&capture, &InputCapture::captured);
    ASSERT_TRUE(capture.start(CaptureMode::KeyEdit, edit));
    EXPECT_TRUE(capture.isActive());
    EXPECT_FALSE(capture.isPaused());

    typeA();
    sendKey(QEvent::KeyPress, Qt::Key_Enter, KEY_KPENTER);

    ASSERT_EQ(spy.count(), 3);
    const auto first = spy.at(0).at(1).value<CapturedInput>();
    EXPECT_EQ(spy.at(0).at(0).value<CaptureMode>(), CaptureMode::KeyEdit);
    EXPECT_EQ(first.kind, CapturedInput::Kind::Key);
    EXPECT_TRUE(first.pressed);
    EXPECT_EQ(first.scanCode, 0x1E);
    EXPECT_FALSE(first.extended);
    EXPECT_EQ(first.linuxKeyCode, static_cast<quint32>(KEY_A));
    EXPECT_FALSE(spy.at(1).at(1).value<CapturedInput>().pressed);
    const auto keypadEnter = spy.at(2).at(1).value<CapturedInput>();
    EXPECT_EQ(keypadEnter.scanCode, 0x1C);
    EXPECT_TRUE(keypadEnter.extended);
    EXPECT_TRUE(edit->text().isEmpty());
}

TEST_F(InputCaptureTest, ShortcutsDoNotFireButLockKeysPass)
{
    QSignalSpy spy(&capture, &InputCapture::captured);
    capture.start(CaptureMode::Append, window.get());

    EXPECT_TRUE(sendKey(QEvent::KeyPress, Qt::Key_Q, KEY_Q, Qt::ControlModifier));
    EXPECT_FALSE(sendKey(QEvent::KeyPress, Qt::Key_CapsLock, KEY_CAPSLOCK));
    EXPECT_FALSE(sendKey(QEvent::KeyPress, Qt::Key_NumLock, KEY_NUMLOCK));

    EXPECT_EQ(shortcutsFired, 0);
    ASSERT_EQ(spy.count(), 3);
    EXPECT_EQ(spy.at(1).at(1).value<CapturedInput>().scanCode, 0x3A);
    EXPECT_EQ(spy.at(0).at(0).value<CaptureMode>(), CaptureMode::Append);
}

TEST_F(InputCaptureTest, AutoRepeatIsFlagged)
{
    QSignalSpy spy(&capture, &InputCapture::captured);
    capture.start(CaptureMode::KeyEdit, edit);
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_A, {}, KEY_A + kX11Offset, 0, 0, "a", true);
    QApplication::sendEvent(edit, &repeat);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_TRUE(spy.at(0).at(1).value<CapturedInput>().autoRepeat);
}

TEST_F(InputCaptureTest, LosingTheFocusPausesAndGivesTheKeysBack)
{
    QSignalSpy captured(&capture, &InputCapture::captured);
    QSignalSpy paused(&capture, &InputCapture::pausedChanged);
    capture.start(CaptureMode::KeyEdit, edit);

    QWidget elsewhere;
    elsewhere.show();
    elsewhere.activateWindow();
    ASSERT_TRUE(test::waitFor([&] { return capture.isPaused(); }));
    ASSERT_GE(paused.count(), 1);
    EXPECT_TRUE(paused.last().at(0).toBool());
    EXPECT_NE(QWidget::keyboardGrabber(), window.get());
    sendKey(QEvent::KeyPress, Qt::Key_A, KEY_A, {}, "a");
    EXPECT_EQ(captured.count(), 0);

    window->activateWindow();
    ASSERT_TRUE(test::waitFor([&] { return !capture.isPaused(); }));
    EXPECT_FALSE(paused.last().at(0).toBool());
    EXPECT_EQ(QWidget::keyboardGrabber(), window.get());
    typeA();
    EXPECT_EQ(captured.count(), 2);
}

TEST_F(InputCaptureTest, StopAndDestructionGiveTheKeyboardBack)
{
    QSignalSpy active(&capture, &InputCapture::activeChanged);
    capture.start(CaptureMode::KeyEdit, edit);
    EXPECT_EQ(QWidget::keyboardGrabber(), window.get());
    capture.stop();
    EXPECT_FALSE(capture.isActive());
    EXPECT_EQ(QWidget::keyboardGrabber(), nullptr);
    ASSERT_EQ(active.count(), 2);
    EXPECT_FALSE(active.last().at(0).toBool());

    typeA();
    EXPECT_EQ(edit->text(), "a");

    {
        InputCapture scoped;
        scoped.start(CaptureMode::Append, window.get());
    }
    EXPECT_EQ(QWidget::keyboardGrabber(), nullptr);
    EXPECT_FALSE(capture.start(CaptureMode::KeyEdit, nullptr));
}

TEST_F(InputCaptureTest, ReplacingACaptureKeepsItActiveInTheNewMode)
{
    QSignalSpy active(&capture, &InputCapture::activeChanged);
    capture.start(CaptureMode::KeyEdit, edit);
    capture.start(CaptureMode::InsertAfter, edit);
    EXPECT_EQ(active.count(), 1);
    EXPECT_EQ(capture.mode(), CaptureMode::InsertAfter);
    QSignalSpy spy(&capture, &InputCapture::captured);
    typeA();
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(spy.at(0).at(0).value<CaptureMode>(), CaptureMode::InsertAfter);
}

TEST_F(InputCaptureTest, MouseButtonsAreReportedOnceAndStillClick)
{
    QSignalSpy spy(&capture, &InputCapture::captured);
    capture.start(CaptureMode::Append, window.get());
    QTest::mouseClick(other, Qt::BackButton);
    QTest::mouseClick(other, Qt::LeftButton);
    ASSERT_EQ(spy.count(), 4);
    const auto press = spy.at(0).at(1).value<CapturedInput>();
    EXPECT_EQ(press.kind, CapturedInput::Kind::MouseButton);
    EXPECT_TRUE(press.pressed);
    EXPECT_EQ(press.button, Qt::BackButton);
    EXPECT_EQ(press.globalPos, other->mapToGlobal(other->rect().center()));
    EXPECT_FALSE(spy.at(1).at(1).value<CapturedInput>().pressed);
    EXPECT_EQ(spy.at(2).at(1).value<CapturedInput>().button, Qt::LeftButton);
    EXPECT_TRUE(other->hasFocus());
}

}  // namespace
}  // namespace kestrion
