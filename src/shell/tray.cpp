#include "shell/tray.h"

#include <array>

#include "ui/language_manager.h"
#include "ui/product_names.h"

namespace kestrion::ui {

namespace {

struct MenuItem {
    const char* name;
    const char* textId;
};

constexpr const char* kAbout = "about_menu";
constexpr const char* kExit = "exit";

constexpr std::array kMenuItems{
    MenuItem{kAbout, "about_menu_text"},
    MenuItem{kExit, "exit_menu_text"},
};

}  // namespace

Tray::Tray(const LanguageManager& language, const QIcon& icon, QObject* parent)
    : QObject(parent), m_language(language), m_icon(icon)
{
    m_icon.setToolTip(QString::fromLatin1(kWindowTitle));
    m_menu.setObjectName("tray_menu");
    addItems();
    retext();
    m_icon.setContextMenu(&m_menu);
    connect(&m_icon, &QSystemTrayIcon::activated, this, &Tray::onActivated);
    connect(&m_language, &LanguageManager::languageChanged, this, &Tray::retext);
}

bool Tray::isAvailable()
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void Tray::show()
{
    m_icon.show();
}

void Tray::hide()
{
    m_icon.hide();
}

void Tray::addItems()
{
    for (const auto& item : kMenuItems) {
        QAction* action = m_menu.addAction(QString());
        const QString name = QString::fromLatin1(item.name);
        action->setObjectName(name);
        action->setProperty("textId", QString::fromLatin1(item.textId));
        connect(action, &QAction::triggered, this, [this, name] { onTriggered(name); });
    }
}

void Tray::retext()
{
    for (QAction* action : m_menu.actions())
        action->setText(m_language.text(action->property("textId").toString()));
}

void Tray::onActivated(QSystemTrayIcon::ActivationReason reason)
{
    if (reason == QSystemTrayIcon::Trigger)
        emit toggleWindowRequested();
}

void Tray::onTriggered(const QString& itemName)
{
    emit menuCommand(itemName);
    if (itemName == QLatin1String(kAbout))
        emit aboutRequested();
    else if (itemName == QLatin1String(kExit))
        emit exitRequested();
}

}  // namespace kestrion::ui
