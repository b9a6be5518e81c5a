#include "shell/tray.h"

#include <QAction>

#include <array>

#include "ui/language_manager.h"
#include "ui/product_names.h"

namespace kestrion::ui {

namespace {

struct MenuItem {
    const char* name;
    const char* textId;
};

constexpr const char* kShowWindow = "show_window";
constexpr const char* kAbout = "about_menu";
constexpr const char* kExit = "exit";
constexpr const char* kProfilePrefix = "profile_";
constexpr const char* kBatteryText = "tray_battery_text";
constexpr const char* kTextIdProperty = "textId";

constexpr MenuItem kTopItem{kShowWindow, "tray_show_window_text"};
constexpr std::array kBottomItems{
    MenuItem{kAbout, "about_menu_text"},
    MenuItem{kExit, "exit_menu_text"},
};

}  // namespace

Tray::Tray(const LanguageManager& language, const QIcon& icon, QObject* parent)
    : QObject(parent), m_language(language), m_icon(icon)
{
    m_menu.setObjectName("tray_menu");
    addItems();
    retext();
    m_icon.setContextMenu(&m_menu);
    connect(&m_icon, &QSystemTrayIcon::activated, this, &Tray::onActivated);
    connect(&m_language, &LanguageManager::languageChanged, this, &Tray::retext);
    connect(&m_menu, &QMenu::aboutToShow, this, &Tray::menuAboutToShow);
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
    const auto add = [this](const MenuItem& item) {
        QAction* action = m_menu.addAction(QString());
        const QString name = QString::fromLatin1(item.name);
        action->setObjectName(name);
        action->setProperty(kTextIdProperty, QString::fromLatin1(item.textId));
        connect(action, &QAction::triggered, this, [this, name] { onTriggered(name); });
    };
    add(kTopItem);
    m_menu.addSeparator();
    // The profiles go above this separator.
    m_profilesEnd = m_menu.addSeparator();
    for (const MenuItem& item : kBottomItems)
        add(item);
}

void Tray::setProfiles(const QStringList& names, int selected)
{
    qDeleteAll(m_profiles);
    m_profiles.clear();
    for (int i = 0; i < names.size(); ++i) {
        auto* action = new QAction(names[i], &m_menu);
        action->setObjectName(kProfilePrefix + QString::number(i));
        action->setCheckable(true);
        action->setChecked(i == selected);
        connect(action, &QAction::triggered, this, [this, i] { emit profileChosen(i); });
        m_menu.insertAction(m_profilesEnd, action);
        m_profiles.append(action);
    }
}

void Tray::showBattery(int percent)
{
    m_battery = percent;
    retext();
}

void Tray::retext()
{
    for (QAction* action : m_menu.actions()) {
        const QString id = action->property(kTextIdProperty).toString();
        if (!id.isEmpty())
            action->setText(m_language.text(id));
    }
    QString tip = QString::fromLatin1(kWindowTitle);
    if (m_battery >= 0)
        tip += QLatin1Char('\n') + m_language.textWithNumber(QString::fromLatin1(kBatteryText), m_battery);
    m_icon.setToolTip(tip);
}

void Tray::onActivated(QSystemTrayIcon::ActivationReason reason)
{
    if (reason == QSystemTrayIcon::Trigger)
        emit toggleWindowRequested();
}

void Tray::onTriggered(const QString& itemName)
{
    emit menuCommand(itemName);
    if (itemName == QLatin1String(kShowWindow))
        emit showWindowRequested();
    else if (itemName == QLatin1String(kAbout))
        emit aboutRequested();
    else if (itemName == QLatin1String(kExit))
        emit exitRequested();
}

}  // namespace kestrion::ui
