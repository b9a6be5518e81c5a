#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

namespace kestrion::ui {

// A colour palette: a field of hues (left to right) and saturations (top to bottom, full at the
// top) above a strip of values for the chosen hue. Pressing or dragging picks a colour and
// raises colourChanged; setting a colour from code raises nothing.
class CColourPaletteUI : public QWidget {
    Q_OBJECT
public:
    static constexpr int kStripHeight = 14;
    static constexpr int kGap = 6;

    explicit CColourPaletteUI(QWidget* parent = nullptr);

    QColor selectedColour() const { return m_colour; }
    void setSelectedColour(const QColor& colour);
    QSize sizeHint() const override;

    // The point of the field and the strip that pick a colour, for the user and for tests.
    QRect fieldRect() const;
    QRect stripRect() const;

signals:
    void colourChanged(const QColor& colour);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void pickAt(QPoint at);
    void renderField();

    QImage m_field;
    QColor m_colour = Qt::red;
    int m_hue = 0;
    int m_saturation = 255;
    int m_value = 255;
    bool m_dragInStrip = false;
};

}  // namespace kestrion::ui
