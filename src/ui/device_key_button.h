#pragma once

#include <QColor>
#include <QPushButton>

namespace kestrion::ui {

class LedDot;

// A key or light button of a device page. Paints as a button, then its light image while the
// light flag is set and its key-set image while the key-image flag is clear. The select panel
// around it sets its selected flag; a double click on an enabled button raises "dbclick".
class CDeviceKeyButtonUI : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(QString lightimage READ lightImage WRITE setLightImage)
    Q_PROPERTY(QString keysetimage READ keySetImage WRITE setKeySetImage)
    Q_PROPERTY(QString gmnametextcolor READ gmNameTextColor WRITE setGmNameTextColor)
    Q_PROPERTY(bool keySelected READ isKeySelected WRITE setKeySelected)

public:
    explicit CDeviceKeyButtonUI(QWidget* parent = nullptr);

    QString lightImage() const { return m_lightImage; }
    void setLightImage(const QString& file);
    QString keySetImage() const { return m_keySetImage; }
    void setKeySetImage(const QString& file);
    // Accepted from layouts and not used.
    QString gmNameTextColor() const { return m_gmNameTextColor; }
    void setGmNameTextColor(const QString& colour) { m_gmNameTextColor = colour; }

    bool lightFlag() const { return m_lightFlag; }
    void setLightFlag(bool on);
    bool keyImageFlag() const { return m_keyImageFlag; }
    void setKeyImageFlag(bool on);
    bool isKeySelected() const { return m_selected; }
    void setKeySelected(bool selected);
    // The lighting preview's colour of this button's LED; its alpha is the LED's brightness.
    // Repaints only when the colour changed, and then only the LED: the LED is a small opaque
    // child drawing a copy of what the window shows under it, so nothing behind it is painted
    // again for a preview frame.
    QColor lightColour() const { return m_lightColour; }
    void setLightColour(const QColor& colour);
    // The LED's rectangle in the button.
    QRect ledRect() const;

signals:
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // What the button looks like apart from the preview colour; the style sheet is drawn again
    // only when one of these changes, not on every frame of the preview.
    struct Look {
        QSize size;
        qreal pixelRatio = 0;
        bool hovered = false;
        bool down = false;
        bool checked = false;
        QString text;
        bool enabled = false;
        bool focused = false;
        bool selected = false;
        bool lightFlag = false;
        bool keyImageFlag = false;

        bool operator==(const Look&) const = default;
    };

    friend class LedDot;

    Look currentLook() const;
    void paintLook(QPainter& painter) const;
    // Draws the look again when it changed; a changed look also changes what lies under the LED.
    void refreshLookCache();
    void paintLed(QPainter& painter, const QRectF& area) const;
    // Copies what the window shows under the LED, without the LED. Renders the window, so it
    // runs outside paint events: a change seen while painting posts it.
    void refreshLedBackground();
    void postLedBackgroundRefresh();

    QString m_lightImage;
    QString m_keySetImage;
    QString m_gmNameTextColor;
    QPixmap m_lightPixmap;
    QPixmap m_keySetPixmap;
    QColor m_lightColour = Qt::transparent;
    QPixmap m_lookCache;
    Look m_cachedLook;
    QPixmap m_ledBackground;
    bool m_ledBackgroundStale = true;
    bool m_refreshPosted = false;
    bool m_renderingBackground = false;
    LedDot* m_dot = nullptr;
    bool m_lightFlag = false;
    bool m_keyImageFlag = true;
    bool m_selected = false;
};

}  // namespace kestrion::ui
