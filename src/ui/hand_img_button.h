#pragma once

#include <QPixmap>
#include <QPushButton>

namespace kestrion::ui {

// A picture tile with a delete mark (macro and shoot lists). Paints as a button, then its hand
// image; while the pointer is over a deletable tile the delete mark shows in a small square near
// the bottom-right corner, hot while the pointer is on it. Releasing on that square raises
// "click_handdelete" instead of a click; entering and leaving raise "msenter" and "msleave".
class CHandImgButtonUI : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(QString handimage READ handImage WRITE setHandImage)
    Q_PROPERTY(QString deletenormalimage READ deleteNormalImage WRITE setDeleteNormalImage)
    Q_PROPERTY(QString deletehotimage READ deleteHotImage WRITE setDeleteHotImage)
    Q_PROPERTY(bool deletable READ isDeletable WRITE setDeletable)

public:
    explicit CHandImgButtonUI(QWidget* parent = nullptr);

    QString handImage() const { return m_handImage; }
    void setHandImage(const QString& file);
    QString deleteNormalImage() const { return m_deleteNormalImage; }
    void setDeleteNormalImage(const QString& file);
    QString deleteHotImage() const { return m_deleteHotImage; }
    void setDeleteHotImage(const QString& file);
    bool isDeletable() const { return m_deletable; }
    void setDeletable(bool deletable);

    // The delete mark's square in the control's coordinates.
    QRect deleteRect() const;
    bool isDeleteHot() const { return m_deleteHot; }

signals:
    void deleteClicked();
    void mouseEntered();
    void mouseLeft();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool onDeleteMark(QPointF at) const;
    void setDeleteHot(bool hot);

    QString m_handImage;
    QString m_deleteNormalImage;
    QString m_deleteHotImage;
    QPixmap m_handPixmap;
    QPixmap m_deleteNormalPixmap;
    QPixmap m_deleteHotPixmap;
    bool m_deletable = true;
    bool m_hovered = false;
    bool m_deleteHot = false;
};

}  // namespace kestrion::ui
