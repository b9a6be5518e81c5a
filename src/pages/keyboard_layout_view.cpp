#include "pages/keyboard_layout_view.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <array>

#include "devices/keyboard_device.h"

namespace kestrion {
namespace {

// A run of equal keys on one row; positions and widths in quarters of a key.
struct KeyRun {
    int row;
    int x;
    int count;
    int width;
};

constexpr std::array<KeyRun, 31> kKeyRuns = {{
    {0, 0, 1, 4},  {0, 8, 4, 4},   {0, 26, 4, 4},  {0, 44, 4, 4},  {0, 61, 3, 4},
    {1, 0, 13, 4}, {1, 52, 1, 8},  {1, 61, 3, 4},  {1, 74, 4, 4},
    {2, 0, 1, 6},  {2, 6, 12, 4},  {2, 54, 1, 6},  {2, 61, 3, 4},  {2, 74, 3, 4},  {2, 86, 1, 4},
    {3, 0, 1, 7},  {3, 7, 11, 4},  {3, 51, 1, 9},  {3, 74, 3, 4},
    {4, 0, 1, 9},  {4, 9, 10, 4},  {4, 49, 1, 11}, {4, 65, 1, 4},  {4, 74, 3, 4},  {4, 86, 1, 4},
    {5, 0, 3, 5},  {5, 15, 1, 25}, {5, 40, 4, 5},  {5, 61, 3, 4},  {5, 74, 1, 8},  {5, 82, 1, 4},
}};
constexpr int kQuartersWide = 90;
constexpr int kRows = 6;
// The function row stands apart from the others by half a key.
constexpr double kFunctionRowGap = 0.5;
constexpr int kKeyGap = 2;

constexpr std::size_t countKeys()
{
    std::size_t count = 0;
    for (const KeyRun& run : kKeyRuns)
        count += static_cast<std::size_t>(run.count);
    return count;
}
static_assert(countKeys() == CQuellonKeyboardDevice::kFullSizeKeys, "a full-size keyboard");

QColor keyColour(const KeyColour& key)
{
    const QColor lit(key.red * key.brightness / 255, key.green * key.brightness / 255, key.blue * key.brightness / 255);
    return lit.lightness() < 28 ? QColor(0x2a, 0x2e, 0x36) : lit;
}

}  // namespace

KeyboardLayoutView::KeyboardLayoutView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("keyboard_layout_view"));
    setMinimumSize(450, 140);
}

std::size_t KeyboardLayoutView::keyCount()
{
    return countKeys();
}

void KeyboardLayoutView::showColours(const std::vector<KeyColour>& colours)
{
    m_colours = colours;
    update();
}

void KeyboardLayoutView::setSelectedSlot(int slot)
{
    m_selected = slot;
    update();
}

QRectF KeyboardLayoutView::keyRect(std::size_t slot) const
{
    const double unit = width() / static_cast<double>(kQuartersWide);
    const double keyHeight = std::min(unit * 4, height() / (kRows + kFunctionRowGap));
    for (const KeyRun& run : kKeyRuns) {
        const auto count = static_cast<std::size_t>(run.count);
        if (slot >= count) {
            slot -= count;
            continue;
        }
        const double y = keyHeight * (run.row + (run.row > 0 ? kFunctionRowGap : 0));
        const double x = (run.x + static_cast<int>(slot) * run.width) * unit;
        return {x, y, run.width * unit - kKeyGap, keyHeight - kKeyGap};
    }
    return {};
}

void KeyboardLayoutView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(0x3a, 0x3f, 0x4a));
    for (std::size_t slot = 0; slot < keyCount(); ++slot) {
        const KeyColour colour = slot < m_colours.size() ? m_colours[slot] : KeyColour{};
        painter.setBrush(keyColour(colour));
        painter.drawRoundedRect(keyRect(slot), 3, 3);
    }
    if (m_selected >= 0) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(QColor(0xf0, 0xb4, 0x29), 2));
        painter.drawRoundedRect(keyRect(static_cast<std::size_t>(m_selected)), 3, 3);
    }
}

void KeyboardLayoutView::mousePressEvent(QMouseEvent* event)
{
    for (std::size_t slot = 0; slot < keyCount(); ++slot) {
        if (keyRect(slot).contains(event->position())) {
            emit keyClicked(static_cast<int>(slot));
            return;
        }
    }
    QWidget::mousePressEvent(event);
}

}  // namespace kestrion
