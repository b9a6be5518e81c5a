#include "ui/select_panel.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>

#include <algorithm>

#include "ui/device_key_button.h"

namespace kestrion::ui {

namespace {

constexpr QRgb kBandFill = 0x402ee6d6;
constexpr QRgb kBandEdge = 0xff2ee6d6;

}  // namespace

// Draws the selection rectangle above the panel's buttons without taking their mouse input.
class SelectionOverlay : public QWidget {
public:
    explicit SelectionOverlay(QWidget* parent) : QWidget(parent)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
    }

    void show(const QRect& band)
    {
        m_band = band;
        raise();
        setVisible(true);
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (m_band.isEmpty())
            return;
        QPainter painter(this);
        painter.setPen(QPen(QColor::fromRgba(kBandEdge), 1, Qt::DashLine));
        painter.setBrush(QColor::fromRgba(kBandFill));
        painter.drawRect(m_band.adjusted(0, 0, -1, -1));
    }

private:
    QRect m_band;
};

CSelectPanelUI::CSelectPanelUI(QWidget* parent) : QWidget(parent), m_overlay(new SelectionOverlay(this))
{
    m_overlay->hide();
}

void CSelectPanelUI::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_start = event->position().toPoint();
    m_selection = QRect(m_start, m_start);
    m_dragging = true;
}

void CSelectPanelUI::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    const QPoint at = event->position().toPoint();
    m_selection = QRect(QPoint(std::min(m_start.x(), at.x()), std::min(m_start.y(), at.y())),
                        QPoint(std::max(m_start.x(), at.x()), std::max(m_start.y(), at.y())));
    m_overlay->show(m_selection);
}

void CSelectPanelUI::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_dragging || event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    m_dragging = false;
    m_overlay->hide();
    applySelection();
    emit selectEnd();
}

void CSelectPanelUI::applySelection()
{
    for (QObject* child : children()) {
        if (auto* button = qobject_cast<CDeviceKeyButtonUI*>(child))
            button->setKeySelected(button->geometry().intersects(m_selection));
    }
}

void CSelectPanelUI::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_overlay->setGeometry(rect());
}

// Lets the style sheet paint the panel's background.
void CSelectPanelUI::paintEvent(QPaintEvent*)
{
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}

}  // namespace kestrion::ui
