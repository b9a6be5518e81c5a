#pragma once

#include <QComboBox>

namespace kestrion::ui {

// The drop-down of the skin's layouts. The wheel over a closed drop-down scrolls what holds it
// and leaves the choice alone: a setting changes (and is written to the device) only when the
// user opens the list or picks with the keyboard.
class PageComboBox : public QComboBox {
public:
    explicit PageComboBox(QWidget* parent = nullptr);

protected:
    void wheelEvent(QWheelEvent* event) override;
};

}  // namespace kestrion::ui
