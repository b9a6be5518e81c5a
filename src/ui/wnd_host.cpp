#include "ui/wnd_host.h"

namespace kestrion::ui {

CWndUI::CWndUI(QWidget* parent) : QWidget(parent) {}

void CWndUI::attach(QWidget* window)
{
    m_window = window;
    follow();
}

QRect CWndUI::targetRect() const
{
    QWidget* host = m_window->parentWidget();
    if (!host)
        return QRect(mapToGlobal(QPoint()), size());
    return QRect(mapTo(window(), QPoint()) - host->mapTo(window(), QPoint()), size());
}

void CWndUI::follow()
{
    if (!m_window)
        return;
    m_window->setGeometry(targetRect());
    m_window->setVisible(isVisible());
}

void CWndUI::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    follow();
}

void CWndUI::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    follow();
}

void CWndUI::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    follow();
}

void CWndUI::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    follow();
}

}  // namespace kestrion::ui
