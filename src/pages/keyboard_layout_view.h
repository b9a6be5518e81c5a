#pragma once

#include <QWidget>

#include <vector>

#include "devices/lighting_preview.h"

namespace kestrion {

// A drawn full-size keyboard whose keys show the colours of the key slots, in slot order.
class KeyboardLayoutView : public QWidget {
    Q_OBJECT
public:
    explicit KeyboardLayoutView(QWidget* parent = nullptr);

    static std::size_t keyCount();
    void showColours(const std::vector<KeyColour>& colours);
    const std::vector<KeyColour>& colours() const { return m_colours; }
    // The slot drawn outlined as the one being edited; -1 for none.
    void setSelectedSlot(int slot);
    int selectedSlot() const { return m_selected; }
    // Where a key slot is drawn; empty past the drawn keys.
    QRectF keyRect(std::size_t slot) const;

signals:
    void keyClicked(int slot);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    std::vector<KeyColour> m_colours;
    int m_selected = -1;
};

}  // namespace kestrion
