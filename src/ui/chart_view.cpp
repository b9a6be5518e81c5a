#include "ui/chart_view.h"

#include <QPainter>
#include <QTextDocument>

#include <algorithm>
#include <array>
#include <numeric>

namespace kestrion::ui {

namespace {

constexpr std::array<QRgb, 18> kSliceColours{
    0xff2ee6d6, 0xfff5a623, 0xff4a90e2, 0xffd0021b, 0xff7ed321, 0xff9013fe,
    0xfff8e71c, 0xff50e3c2, 0xffbd10e0, 0xff8b572a, 0xff417505, 0xffb8e986,
    0xff4a4a4a, 0xffff6f61, 0xff6b5b95, 0xff88b04b, 0xfff7cac9, 0xff92a8d1,
};
constexpr int kFullCircle = 360 * 16;
constexpr int kTopAngle = 90 * 16;
// The centre disc covers this share of the pie's diameter.
constexpr double kCentreShare = 0.45;
constexpr int kTextHeight = 18;
constexpr int kDefaultPillarWidth = 16;

}  // namespace

CChartViewUI::CChartViewUI(QWidget* parent) : QWidget(parent) {}

void CChartViewUI::setView(const QString& view)
{
    m_view = view;
    update();
}

void CChartViewUI::setShadowImage(const QString& file)
{
    m_shadowImage = file;
    m_shadowPixmap = QPixmap(file);
    update();
}

void CChartViewUI::setShadowImageHeight(int height)
{
    m_shadowHeight = std::max(0, height);
    update();
}

void CChartViewUI::setPillarImage(const QString& file)
{
    m_pillarImage = file;
    m_pillarPixmap = QPixmap(file);
    update();
}

void CChartViewUI::setPillarImageWidth(int width)
{
    m_pillarWidth = std::max(0, width);
    update();
}

void CChartViewUI::setShowHtml(bool on)
{
    m_showHtml = on;
    update();
}

void CChartViewUI::setShowText(bool on)
{
    m_showText = on;
    update();
}

void CChartViewUI::addItem(const QString& text, double value)
{
    m_items.push_back(Item{text, std::max(0.0, value)});
    update();
}

void CChartViewUI::clearItems()
{
    m_items.clear();
    update();
}

bool CChartViewUI::isPie() const
{
    return m_view.compare(QLatin1String("pie"), Qt::CaseInsensitive) == 0;
}

QRect CChartViewUI::plotRect() const
{
    return rect().adjusted(0, 0, 0, -(m_showText ? kTextHeight : 0) - m_shadowHeight);
}

std::vector<CChartViewUI::Slice> CChartViewUI::slices() const
{
    const double total = std::accumulate(m_items.begin(), m_items.end(), 0.0,
                                         [](double sum, const Item& item) { return sum + item.value; });
    std::vector<Slice> result;
    if (total <= 0)
        return result;
    int start = kTopAngle;
    double done = 0;
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        done += m_items[i].value;
        // Spans are cut from the running total so that the slices close the circle exactly.
        const int end = kTopAngle - qRound(done / total * kFullCircle);
        result.push_back(Slice{start, end - start, QColor::fromRgba(kSliceColours[i % kSliceColours.size()])});
        start = end;
    }
    return result;
}

std::vector<QRect> CChartViewUI::pillars() const
{
    std::vector<QRect> result;
    if (m_items.empty())
        return result;
    const double largest = std::max_element(m_items.begin(), m_items.end(), [](const Item& a, const Item& b) {
        return a.value < b.value;
    })->value;
    const QRect plot = plotRect();
    const int slot = plot.width() / int(m_items.size());
    const int width = std::min(slot, m_pillarWidth > 0 ? m_pillarWidth : kDefaultPillarWidth);
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        const int tall = largest > 0 ? qRound(m_items[i].value / largest * plot.height()) : 0;
        const int left = plot.left() + int(i) * slot + (slot - width) / 2;
        result.emplace_back(left, plot.bottom() + 1 - tall, width, tall);
    }
    return result;
}

void CChartViewUI::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (isPie())
        paintPie(painter);
    else
        paintPillars(painter);
}

void CChartViewUI::paintPie(QPainter& painter)
{
    const QRect plot = plotRect();
    const int side = std::min(plot.width(), plot.height());
    const QRect disc(plot.center().x() - side / 2, plot.top(), side, side);
    if (!m_shadowPixmap.isNull() && m_shadowHeight > 0)
        painter.drawPixmap(QRect(disc.left(), disc.bottom(), disc.width(), m_shadowHeight), m_shadowPixmap);
    painter.setPen(Qt::NoPen);
    for (const Slice& slice : slices()) {
        painter.setBrush(slice.colour);
        painter.drawPie(disc, slice.startSixteenths, slice.spanSixteenths);
    }
    const int inset = qRound(side * (1 - kCentreShare) / 2);
    painter.setBrush(palette().color(QPalette::Window));
    painter.drawEllipse(disc.adjusted(inset, inset, -inset, -inset));
    if (!m_showText)
        return;
    const int row = m_items.empty() ? 0 : width() / int(m_items.size());
    for (std::size_t i = 0; i < m_items.size(); ++i)
        paintText(painter, QRect(int(i) * row, height() - kTextHeight, row, kTextHeight), m_items[i].text);
}

void CChartViewUI::paintPillars(QPainter& painter)
{
    const std::vector<QRect> rects = pillars();
    for (std::size_t i = 0; i < rects.size(); ++i) {
        if (m_pillarPixmap.isNull())
            painter.fillRect(rects[i], QColor::fromRgba(kSliceColours[0]));
        else
            painter.drawPixmap(rects[i], m_pillarPixmap);
        if (m_showText) {
            const QRect box(rects[i].center().x() - width() / int(rects.size()) / 2, height() - kTextHeight,
                            width() / int(rects.size()), kTextHeight);
            paintText(painter, box, m_items[i].text);
        }
    }
}

void CChartViewUI::paintText(QPainter& painter, const QRect& box, const QString& text)
{
    if (!m_showHtml) {
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(box, Qt::AlignCenter, text);
        return;
    }
    QTextDocument document;
    document.setDefaultFont(font());
    document.setHtml(text);
    document.setTextWidth(box.width());
    painter.save();
    painter.translate(box.topLeft());
    document.drawContents(&painter, QRectF(QPointF(), box.size()));
    painter.restore();
}

}  // namespace kestrion::ui
