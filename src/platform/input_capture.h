#pragma once

#include <QEvent>
#include <QMetaType>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QWidget>

#include <tuple>

namespace kestrion {

// The receivers of captured input. The numbers are the hook modes: 1 key edit, 4 append,
// 8 insert before, 16 insert after, 32 replace.
enum class CaptureMode : int { KeyEdit = 1, Append = 4, InsertBefore = 8, InsertAfter = 16, ReplaceRow = 32 };

struct CapturedInput {
    enum class Kind : quint8 { Key, MouseButton };
    Kind kind = Kind::Key;
    bool pressed = false;          // down (true) or up (false)
    bool autoRepeat = false;       // a repeat of a held key
    quint16 scanCode = 0;          // set-1 make code; 0 when the key has none
    bool extended = false;         // the extended-key flag
    quint32 linuxKeyCode = 0;      // evdev code (Qt native scan code - 8 on X11/Wayland)
    Qt::MouseButton button = Qt::NoButton;   // Left, Right, Middle, BackButton (X1), ForwardButton (X2)
    QPoint globalPos;              // screen position of a mouse event
};

// Catches the keyboard and the mouse buttons for the tool's own window while a capture runs: the
// window takes the keyboard grab (and, while a macro is recorded, the mouse grab), and every key
// and mouse-button event is reported. Keys are swallowed, so they reach neither the window's
// controls nor its shortcuts; Caps Lock, Num Lock and Scroll Lock pass, so they still toggle. Input
// typed into another program is never seen: when the window loses the focus the capture pauses
// and gives the grabs back, and takes them again when the focus returns.
class InputCapture : public QObject {
    Q_OBJECT
public:
    explicit InputCapture(QObject* parent = nullptr);
    ~InputCapture() override;

    // Replaces a running capture; false (nothing grabbed) without a window.
    bool start(CaptureMode mode, QWidget* window);
    void stop();
    bool isActive() const;
    bool isPaused() const;  // active, but the window has lost the focus
    CaptureMode mode() const;

    // The report of a key event; scan code 0 for a key a PC keyboard does not have.
    static CapturedInput keyInput(quint32 nativeScanCode, bool pressed, bool autoRepeat);

signals:
    void captured(CaptureMode mode, const CapturedInput& input);
    void pausedChanged(bool paused);
    void activeChanged(bool active);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool grabsMouse() const;
    void takeGrabs();
    void releaseGrabs();
    void setPaused(bool paused);
    void followFocus();
    bool handleKey(QEvent* event);
    void reportMouse(QEvent* event);
    // False for an event already reported on its way through the widgets.
    bool firstSight(QEvent::Type type, int code, quint64 timestamp);

    QPointer<QWidget> m_window;
    CaptureMode m_mode = CaptureMode::KeyEdit;
    bool m_active = false;
    bool m_paused = false;
    bool m_mouseGrabbed = false;
    std::tuple<int, int, quint64> m_lastPassed{};
};

}  // namespace kestrion

Q_DECLARE_METATYPE(kestrion::CapturedInput)
