#include "ui/device_key_button.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace kestrion::ui {

namespace {

// The ring drawn around a selected button, in the skin's accent colour.
constexpr QRgb kSelectionColour = 0xff2ee6d6;
constexpr qreal kSelectionWidth = 2.0;
constexpr int kLightInset = 3;

}  // namespace

// The LED of a light button: opaque, so that a new colour repaints this small square alone.
class LedDot : public QWidget {
public:
    explicit LedDot(CDeviceKeyButtonUI* button) : QWidget(button), m_button(button)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setOpaque(true);
        setGeometry(button->ledRect());
    }

    // While the window is rendered for the LED's background the LED is transparent.
    void setOpaque(bool opaque) { setAttribute(Qt::WA_OpaquePaintEvent, opaque); }

protected:
    // Polishing with a style sheet clears the attribute; this widget paints every pixel itself.
    bool event(QEvent* event) override
    {
        const bool handled = QWidget::event(event);
        if (event->type() == QEvent::Polish || event->type() == QEvent::StyleChange)
            setOpaque(!m_button->m_renderingBackground);
        return handled;
    }

    void paintEvent(QPaintEvent*) override
    {
        if (m_button->m_renderingBackground)
            return;
        QPainter painter(this);
        if (m_button->m_ledBackgroundStale) {
            // Until the copy is taken: the button's look, which is right wherever it is opaque.
            m_button->refreshLookCache();
            const qreal ratio = m_button->m_lookCache.devicePixelRatio();
            const QRect source(QPointF(pos() * ratio).toPoint(), QSizeF(size() * ratio).toSize());
            painter.drawPixmap(rect(), m_button->m_lookCache, source);
            m_button->postLedBackgroundRefresh();
        } else {
            painter.drawPixmap(rect(), m_button->m_ledBackground);
        }
        m_button->paintLed(painter, QRectF(rect()));
    }

private:
    CDeviceKeyButtonUI* m_button;
};

CDeviceKeyButtonUI::CDeviceKeyButtonUI(QWidget* parent) : QPushButton(parent) {}

QRect CDeviceKeyButtonUI::ledRect() const
{
    return rect().adjusted(kLightInset, kLightInset, -kLightInset, -kLightInset);
}

void CDeviceKeyButtonUI::setLightImage(const QString& file)
{
    m_lightImage = file;
    m_lightPixmap = QPixmap(file);
    m_lookCache = QPixmap();
    update();
}

void CDeviceKeyButtonUI::setKeySetImage(const QString& file)
{
    m_keySetImage = file;
    m_keySetPixmap = QPixmap(file);
    m_lookCache = QPixmap();
    update();
}

void CDeviceKeyButtonUI::setLightFlag(bool on)
{
    m_lightFlag = on;
    update();
}

void CDeviceKeyButtonUI::setKeyImageFlag(bool on)
{
    m_keyImageFlag = on;
    update();
}

// The style sheet can tell selected buttons apart through the property as well.
void CDeviceKeyButtonUI::setKeySelected(bool selected)
{
    if (m_selected == selected)
        return;
    m_selected = selected;
    style()->unpolish(this);
    style()->polish(this);
    update();
}

void CDeviceKeyButtonUI::setLightColour(const QColor& colour)
{
    if (colour == m_lightColour)
        return;
    m_lightColour = colour;
    if (!m_dot && m_lightColour.alpha() > 0) {
        m_dot = new LedDot(this);
        m_dot->setVisible(!ledRect().isEmpty());
        refreshLedBackground();
    }
    if (m_dot && m_dot->isVisible())
        m_dot->update();
    else
        update(ledRect());
}

CDeviceKeyButtonUI::Look CDeviceKeyButtonUI::currentLook() const
{
    return Look{size(), devicePixelRatioF(), underMouse(), isDown(), isChecked(), text(), isEnabled(), hasFocus(),
                m_selected, m_lightFlag, m_keyImageFlag};
}

// The button, its overlays and its selection ring: everything but the preview colour.
void CDeviceKeyButtonUI::paintLook(QPainter& painter) const
{
    QStyleOptionButton option;
    initStyleOption(&option);
    style()->drawControl(QStyle::CE_PushButton, &option, &painter, this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (m_lightFlag && !m_lightPixmap.isNull())
        painter.drawPixmap(rect(), m_lightPixmap);
    if (!m_keyImageFlag && !m_keySetPixmap.isNull())
        painter.drawPixmap(rect(), m_keySetPixmap);
    if (m_selected) {
        painter.setPen(QPen(QColor::fromRgba(kSelectionColour), kSelectionWidth));
        painter.setBrush(Qt::NoBrush);
        const qreal inset = kSelectionWidth / 2;
        painter.drawRoundedRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset), 4, 4);
    }
}

void CDeviceKeyButtonUI::refreshLookCache()
{
    const Look look = currentLook();
    if (!m_lookCache.isNull() && look == m_cachedLook)
        return;
    m_lookCache = QPixmap(size() * look.pixelRatio);
    m_lookCache.setDevicePixelRatio(look.pixelRatio);
    m_lookCache.fill(Qt::transparent);
    QPainter cache(&m_lookCache);
    paintLook(cache);
    cache.end();
    m_cachedLook = look;
    if (!m_renderingBackground) {
        m_ledBackgroundStale = true;
        postLedBackgroundRefresh();
    }
}

void CDeviceKeyButtonUI::postLedBackgroundRefresh()
{
    if (m_refreshPosted || !m_dot || m_renderingBackground)
        return;
    m_refreshPosted = true;
    QMetaObject::invokeMethod(this, [this] { refreshLedBackground(); }, Qt::QueuedConnection);
}

void CDeviceKeyButtonUI::refreshLedBackground()
{
    m_refreshPosted = false;
    if (!m_dot || !m_dot->isVisible())
        return;
    const qreal ratio = devicePixelRatioF();
    QPixmap background(m_dot->size() * ratio);
    background.setDevicePixelRatio(ratio);
    background.fill(Qt::transparent);
    QWidget* top = window();
    const QRect area(m_dot->mapTo(top, QPoint()), m_dot->size());
    m_renderingBackground = true;
    m_dot->setOpaque(false);
    top->render(&background, QPoint(), QRegion(area), QWidget::DrawWindowBackground | QWidget::DrawChildren);
    m_dot->setOpaque(true);
    m_renderingBackground = false;
    m_ledBackground = background;
    m_ledBackgroundStale = false;
    m_dot->update();
}

void CDeviceKeyButtonUI::paintLed(QPainter& painter, const QRectF& area) const
{
    if (m_lightColour.alpha() == 0)
        return;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_lightColour);
    painter.drawEllipse(area);
}

void CDeviceKeyButtonUI::paintEvent(QPaintEvent*)
{
    refreshLookCache();
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_lookCache);
    if (!m_dot || m_dot->isHidden())
        paintLed(painter, QRectF(ledRect()));
}

void CDeviceKeyButtonUI::resizeEvent(QResizeEvent* event)
{
    QPushButton::resizeEvent(event);
    if (m_dot)
        m_dot->setGeometry(ledRect());
    m_ledBackgroundStale = true;
    postLedBackgroundRefresh();
}

void CDeviceKeyButtonUI::moveEvent(QMoveEvent* event)
{
    QPushButton::moveEvent(event);
    m_ledBackgroundStale = true;
    postLedBackgroundRefresh();
}

// A new style sheet, palette or font changes the look without changing its key.
void CDeviceKeyButtonUI::changeEvent(QEvent* event)
{
    QPushButton::changeEvent(event);
    const QEvent::Type type = event->type();
    if (type == QEvent::StyleChange || type == QEvent::PaletteChange || type == QEvent::FontChange)
        m_lookCache = QPixmap();
}

void CDeviceKeyButtonUI::mouseDoubleClickEvent(QMouseEvent* event)
{
    QPushButton::mouseDoubleClickEvent(event);
    if (isEnabled() && event->button() == Qt::LeftButton)
        emit doubleClicked();
}

}  // namespace kestrion::ui
