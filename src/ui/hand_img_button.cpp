#include "ui/hand_img_button.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>

namespace kestrion::ui {

namespace {

// The delete mark: a square whose left and top edges lie this far from the right and bottom.
constexpr int kDeleteSize = 20;
constexpr int kDeleteFromRight = 30;
constexpr int kDeleteFromBottom = 29;

}  // namespace

CHandImgButtonUI::CHandImgButtonUI(QWidget* parent) : QPushButton(parent)
{
    setMouseTracking(true);
}

void CHandImgButtonUI::setHandImage(const QString& file)
{
    m_handImage = file;
    m_handPixmap = QPixmap(file);
    update();
}

void CHandImgButtonUI::setDeleteNormalImage(const QString& file)
{
    m_deleteNormalImage = file;
    m_deleteNormalPixmap = QPixmap(file);
    update();
}

void CHandImgButtonUI::setDeleteHotImage(const QString& file)
{
    m_deleteHotImage = file;
    m_deleteHotPixmap = QPixmap(file);
    update();
}

void CHandImgButtonUI::setDeletable(bool deletable)
{
    m_deletable = deletable;
    update();
}

QRect CHandImgButtonUI::deleteRect() const
{
    return QRect(width() - kDeleteFromRight, height() - kDeleteFromBottom, kDeleteSize, kDeleteSize);
}

bool CHandImgButtonUI::onDeleteMark(QPointF at) const
{
    return m_deletable && m_hovered && deleteRect().contains(at.toPoint());
}

void CHandImgButtonUI::setDeleteHot(bool hot)
{
    if (hot == m_deleteHot)
        return;
    m_deleteHot = hot;
    update(deleteRect());
}

void CHandImgButtonUI::paintEvent(QPaintEvent* event)
{
    QPushButton::paintEvent(event);
    QPainter painter(this);
    if (!m_handPixmap.isNull())
        painter.drawPixmap(rect(), m_handPixmap);
    if (!m_deletable || !m_hovered)
        return;
    const QPixmap& mark = m_deleteHot && !m_deleteHotPixmap.isNull() ? m_deleteHotPixmap : m_deleteNormalPixmap;
    if (!mark.isNull())
        painter.drawPixmap(deleteRect(), mark);
}

void CHandImgButtonUI::enterEvent(QEnterEvent* event)
{
    QPushButton::enterEvent(event);
    m_hovered = true;
    setDeleteHot(onDeleteMark(event->position()));
    update();
    emit mouseEntered();
}

void CHandImgButtonUI::leaveEvent(QEvent* event)
{
    QPushButton::leaveEvent(event);
    m_hovered = false;
    m_deleteHot = false;
    update();
    emit mouseLeft();
}

void CHandImgButtonUI::mouseMoveEvent(QMouseEvent* event)
{
    QPushButton::mouseMoveEvent(event);
    setDeleteHot(onDeleteMark(event->position()));
}

// A release on the mark deletes and is not also a click.
void CHandImgButtonUI::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !onDeleteMark(event->position())) {
        QPushButton::mouseReleaseEvent(event);
        return;
    }
    setDown(false);
    event->accept();
    emit deleteClicked();
}

}  // namespace kestrion::ui
