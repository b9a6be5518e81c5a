#pragma once

#include <QColor>
#include <QPushButton>

namespace kestrion::ui {

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
    // Repaints only when the colour changed, so a preview ticking every few milliseconds stays cheap.
    QColor lightColour() const { return m_lightColour; }
    void setLightColour(const QColor& colour);

signals:
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QString m_lightImage;
    QString m_keySetImage;
    QString m_gmNameTextColor;
    QPixmap m_lightPixmap;
    QPixmap m_keySetPixmap;
    QColor m_lightColour = Qt::transparent;
    bool m_lightFlag = false;
    bool m_keyImageFlag = true;
    bool m_selected = false;
};

}  // namespace kestrion::ui
