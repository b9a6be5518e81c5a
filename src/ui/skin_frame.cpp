#include "ui/skin_frame.h"

#include <QAbstractButton>
#include <QStackedWidget>

#include "ui/language_manager.h"
#include "ui/message_box.h"
#include "ui/skin.h"
#include "ui/skin_settings.h"

namespace kestrion::ui {

namespace {

constexpr const char* kLayout = "skin.xml";
constexpr const char* kPages = "skin_tab";
constexpr const char* kImageProperty = "skinImage";
constexpr const char* kColourProperty = "skinColor";

}  // namespace

CSkinFrame::CSkinFrame(const UiResources& resources, SkinSettings& settings, QWidget* anchor)
    : QFrame(anchor, Qt::Popup | Qt::FramelessWindowHint), m_settings(settings), m_anchor(anchor)
{
    setObjectName("skinframe");
    setWindowTitle(QStringLiteral("skinframe"));
    setAttribute(Qt::WA_DeleteOnClose);
    QWidget* root = resources.skin.buildInto(kLayout, resources.factory, *this);
    if (!root)
        return;
    resources.language.apply(root);
    bind(root);
    setFixedSize(root->size());
    m_built = root->findChild<QStackedWidget*>(kPages) != nullptr;
}

void CSkinFrame::bind(QWidget* root)
{
    for (auto* button : root->findChildren<QAbstractButton*>()) {
        const QString name = button->objectName();
        const QString image = button->property(kImageProperty).toString();
        const QColor colour(button->property(kColourProperty).toString());
        if (!image.isEmpty())
            connect(button, &QAbstractButton::clicked, this, [this, image] { m_settings.chooseStockImage(image); });
        else if (colour.isValid())
            connect(button, &QAbstractButton::clicked, this, [this, colour] { m_settings.chooseColour(colour); });
        else if (name == QLatin1String("skin_image"))
            connect(button, &QAbstractButton::clicked, this, [this] { showPage(0); });
        else if (name == QLatin1String("skin_color"))
            connect(button, &QAbstractButton::clicked, this, [this] { showPage(1); });
        else if (name == QLatin1String("skin_reset"))
            connect(button, &QAbstractButton::clicked, &m_settings, &SkinSettings::reset);
        else if (name == QLatin1String("skin_Custom"))
            connect(button, &QAbstractButton::clicked, this, [this] {
                close();
                emit ownImageRequested();
            });
    }
}

void CSkinFrame::showPage(int page)
{
    if (auto* pages = findChild<QStackedWidget*>(kPages))
        pages->setCurrentIndex(page);
}

void CSkinFrame::showAtAnchor()
{
    const QPoint corner = m_anchor->mapToGlobal(QPoint(m_anchor->width(), m_anchor->height()));
    move(corner - QPoint(width(), 0));
    show();
}

}  // namespace kestrion::ui
