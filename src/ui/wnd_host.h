#pragma once

#include <QPointer>
#include <QWidget>

namespace kestrion::ui {

// Holds the place of another window in a layout: whenever it is shown, hidden, moved or
// resized, the attached window takes its rectangle (in screen coordinates when that window
// is a top-level one) and is shown or hidden with it.
class CWndUI : public QWidget {
    Q_OBJECT
public:
    explicit CWndUI(QWidget* parent = nullptr);

    // The window is not owned; it may be destroyed before this control.
    void attach(QWidget* window);
    QWidget* attached() const { return m_window; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void follow();
    QRect targetRect() const;

    QPointer<QWidget> m_window;
};

}  // namespace kestrion::ui
