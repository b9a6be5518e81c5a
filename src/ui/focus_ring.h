#pragma once

#include <QPointer>
#include <QWidget>

namespace kestrion::ui {

// Draws a ring around the control of its window that the keyboard (Tab, Shift+Tab, a shortcut)
// gave the focus, above every style sheet, so that keyboard use always shows where it is. A click
// moving the focus hides it, as does the control losing the focus or hiding.
class FocusRing : public QWidget {
public:
    explicit FocusRing(QWidget* window);
    ~FocusRing() override;

    // The control the ring surrounds; null while hidden.
    QWidget* target() const { return isVisible() ? m_target.data() : nullptr; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void surround(QWidget* control);
    void place();

    QPointer<QWidget> m_target;
};

}  // namespace kestrion::ui
