#include "ui/colour_palette.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace kestrion::ui {

namespace {

constexpr int kMaxHue = 359;
constexpr int kMaxLevel = 255;
constexpr int kMarkRadius = 4;

int share(int offset, int span, int maximum)
{
    return span <= 1 ? 0 : std::clamp(offset * maximum / (span - 1), 0, maximum);
}

int offsetOf(int level, int span, int maximum)
{
    return span <= 1 ? 0 : level * (span - 1) / maximum;
}

}  // namespace

CColourPaletteUI::CColourPaletteUI(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(120, 80);
}

QSize CColourPaletteUI::sizeHint() const
{
    return QSize(240, 150);
}

QRect CColourPaletteUI::fieldRect() const
{
    return QRect(0, 0, width(), std::max(1, height() - kStripHeight - kGap));
}

QRect CColourPaletteUI::stripRect() const
{
    return QRect(0, height() - kStripHeight, width(), kStripHeight);
}

// A grey has no hue of its own: the field keeps the hue it showed.
void CColourPaletteUI::setSelectedColour(const QColor& colour)
{
    m_colour = colour.toRgb();
    const QColor hsv = m_colour.toHsv();
    if (hsv.hsvHue() >= 0)
        m_hue = hsv.hsvHue();
    m_saturation = hsv.hsvSaturation();
    m_value = hsv.value();
    update();
}

void CColourPaletteUI::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    renderField();
}

void CColourPaletteUI::renderField()
{
    const QRect field = fieldRect();
    m_field = QImage(field.size(), QImage::Format_RGB32);
    for (int y = 0; y < field.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(m_field.scanLine(y));
        const int saturation = kMaxLevel - share(y, field.height(), kMaxLevel);
        for (int x = 0; x < field.width(); ++x)
            line[x] = QColor::fromHsv(share(x, field.width(), kMaxHue), saturation, kMaxLevel).rgb();
    }
}

void CColourPaletteUI::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect field = fieldRect();
    painter.drawImage(field.topLeft(), m_field);
    const QRect strip = stripRect();
    QLinearGradient values(strip.topLeft(), strip.topRight());
    values.setColorAt(0, Qt::black);
    values.setColorAt(1, QColor::fromHsv(m_hue, m_saturation, kMaxLevel));
    painter.fillRect(strip, values);

    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::white, 2));
    const QPoint fieldMark(offsetOf(m_hue, field.width(), kMaxHue),
                           offsetOf(kMaxLevel - m_saturation, field.height(), kMaxLevel));
    painter.drawEllipse(fieldMark, kMarkRadius, kMarkRadius);
    const int stripX = offsetOf(m_value, strip.width(), kMaxLevel);
    painter.drawRect(QRect(stripX - 2, strip.top(), 4, strip.height() - 1));
}

void CColourPaletteUI::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint at = event->position().toPoint();
    m_dragInStrip = at.y() >= stripRect().top() - kGap / 2;
    pickAt(at);
}

void CColourPaletteUI::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() & Qt::LeftButton)
        pickAt(event->position().toPoint());
}

void CColourPaletteUI::pickAt(QPoint at)
{
    if (m_dragInStrip) {
        m_value = share(at.x(), width(), kMaxLevel);
    } else {
        const QRect field = fieldRect();
        m_hue = share(at.x(), field.width(), kMaxHue);
        m_saturation = kMaxLevel - share(at.y(), field.height(), kMaxLevel);
        // The field shows the hues at full value: a pick there gives what it shows.
        m_value = kMaxLevel;
    }
    const QColor picked = QColor::fromHsv(m_hue, m_saturation, m_value).toRgb();
    m_colour = picked;
    update();
    emit colourChanged(m_colour);
}

}  // namespace kestrion::ui
