#include "platform/input_capture.h"

#include "platform/scan_codes.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWindow>

#include <array>
#include <linux/input-event-codes.h>

namespace kestrion {

namespace {

// X11 and Wayland number their key codes from 8 upwards over the evdev codes.
constexpr quint32 kNativeScanCodeOffset = 8;

constexpr std::array<quint32, 3> kLockKeys = {KEY_CAPSLOCK, KEY_NUMLOCK, KEY_SCROLLLOCK};
constexpr std::array<int, 3> kLockQtKeys = {Qt::Key_CapsLock, Qt::Key_NumLock, Qt::Key_ScrollLock};

bool isLockKey(const QKeyEvent& key, quint32 linuxKeyCode)
{
    for (std::size_t i = 0; i < kLockKeys.size(); ++i) {
        if (linuxKeyCode == kLockKeys[i] || key.key() == kLockQtKeys[i])
            return true;
    }
    return false;
}

bool isMouseButtonEvent(QEvent::Type type)
{
    return type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
           type == QEvent::MouseButtonDblClick;
}

}  // namespace

InputCapture::InputCapture(QObject* parent) : QObject(parent)
{
    qRegisterMetaType<CapturedInput>();
    qRegisterMetaType<CaptureMode>();
}

InputCapture::~InputCapture()
{
    stop();
}

bool InputCapture::start(CaptureMode mode, QWidget* window)
{
    if (!window) {
        stop();
        return false;
    }
    const bool wasActive = m_active;
    if (wasActive)
        releaseGrabs();
    else
        qApp->installEventFilter(this);
    m_window = window->window();
    m_mode = mode;
    m_active = true;
    if (!wasActive)
        emit activeChanged(true);
    followFocus();
    return true;
}

void InputCapture::stop()
{
    if (!m_active)
        return;
    qApp->removeEventFilter(this);
    releaseGrabs();
    m_active = false;
    setPaused(false);
    m_window = nullptr;
    emit activeChanged(false);
}

bool InputCapture::isActive() const
{
    return m_active;
}

bool InputCapture::isPaused() const
{
    return m_active && m_paused;
}

CaptureMode InputCapture::mode() const
{
    return m_mode;
}

CapturedInput InputCapture::keyInput(quint32 nativeScanCode, bool pressed, bool autoRepeat)
{
    CapturedInput input;
    input.kind = CapturedInput::Kind::Key;
    input.pressed = pressed;
    input.autoRepeat = autoRepeat;
    input.linuxKeyCode = nativeScanCode >= kNativeScanCodeOffset ? nativeScanCode - kNativeScanCodeOffset : 0;
    if (const auto scan = set1ScanCodeOfLinuxKey(input.linuxKeyCode)) {
        input.scanCode = scan->code;
        input.extended = scan->extended;
    }
    return input;
}

bool InputCapture::grabsMouse() const
{
    // Key editing needs no mouse buttons, and leaving the key edit by a click must stay possible.
    return m_mode != CaptureMode::KeyEdit;
}

void InputCapture::takeGrabs()
{
    if (!m_window)
        return;
    m_window->grabKeyboard();
    // The window-level grab brings clicks anywhere on the screen to the window while the window's
    // own controls keep getting theirs (a widget grab would send them all to the frame).
    if (grabsMouse() && m_window->windowHandle()) {
        m_window->windowHandle()->setMouseGrabEnabled(true);
        m_mouseGrabbed = true;
    }
}

void InputCapture::releaseGrabs()
{
    if (!m_window)
        return;
    if (QWidget::keyboardGrabber() == m_window)
        m_window->releaseKeyboard();
    if (m_mouseGrabbed && m_window->windowHandle())
        m_window->windowHandle()->setMouseGrabEnabled(false);
    m_mouseGrabbed = false;
}

void InputCapture::setPaused(bool paused)
{
    if (paused == m_paused)
        return;
    m_paused = paused;
    emit pausedChanged(paused);
}

void InputCapture::followFocus()
{
    const bool focused = m_window && m_window->isActiveWindow() &&
                         QGuiApplication::applicationState() == Qt::ApplicationActive;
    if (focused)
        takeGrabs();
    else
        releaseGrabs();
    setPaused(!focused);
}

bool InputCapture::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::ApplicationStateChange ||
        (watched == m_window && (type == QEvent::WindowActivate || type == QEvent::WindowDeactivate))) {
        followFocus();
        return false;
    }
    if (!m_active || m_paused)
        return false;
    if (type == QEvent::KeyPress || type == QEvent::KeyRelease || type == QEvent::ShortcutOverride)
        return handleKey(event);
    if (isMouseButtonEvent(type))
        reportMouse(event);
    return false;
}

bool InputCapture::handleKey(QEvent* event)
{
    auto* key = static_cast<QKeyEvent*>(event);
    const CapturedInput input =
        keyInput(key->nativeScanCode(), event->type() != QEvent::KeyRelease, key->isAutoRepeat());
    if (isLockKey(*key, input.linuxKeyCode)) {
        // It goes on to the focus widget and its parents: reported at the first of them.
        if (event->type() != QEvent::ShortcutOverride && firstSight(event->type(), key->key(), key->timestamp()))
            emit captured(m_mode, input);
        return false;
    }
    // Accepting the override keeps the window's shortcuts from firing; the key press follows it.
    event->accept();
    if (event->type() != QEvent::ShortcutOverride)
        emit captured(m_mode, input);
    return true;
}

bool InputCapture::firstSight(QEvent::Type type, int code, quint64 timestamp)
{
    const auto stamp = std::make_tuple(static_cast<int>(type), code, timestamp);
    if (stamp == m_lastPassed)
        return false;
    m_lastPassed = stamp;
    return true;
}

void InputCapture::reportMouse(QEvent* event)
{
    auto* mouse = static_cast<QMouseEvent*>(event);
    // One click reaches the window and then the widget under it (and its parents): report it once.
    if (!firstSight(event->type(), mouse->button(), mouse->timestamp()))
        return;
    CapturedInput input;
    input.kind = CapturedInput::Kind::MouseButton;
    input.pressed = event->type() != QEvent::MouseButtonRelease;
    input.button = mouse->button();
    input.globalPos = mouse->globalPosition().toPoint();
    emit captured(m_mode, input);
}

}  // namespace kestrion
