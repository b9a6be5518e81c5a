#pragma once

#include <QList>
#include <QMenu>
#include <QObject>
#include <QStringList>
#include <QSystemTrayIcon>

namespace kestrion::ui {

class LanguageManager;

// The tool's tray icon and its menu. A left click asks the main window to show or hide; the
// menu's items "show_window", "about_menu" and "exit" ask for the window, the about window and
// the end of the tool, and between them the selected device's profiles can be chosen. The tool
// tip names the tool and, while a device reports one, its battery level. Texts follow the
// current language.
class Tray : public QObject {
    Q_OBJECT
public:
    Tray(const LanguageManager& language, const QIcon& icon, QObject* parent = nullptr);

    // Many desktops show no tray; a window hidden there could not be brought back.
    static bool isAvailable();
    void show();
    void hide();
    QSystemTrayIcon& icon() { return m_icon; }
    QMenu& menu() { return m_menu; }

    // The profiles the menu offers, the selected one ticked; none without a device.
    void setProfiles(const QStringList& names, int selected);
    // The battery level for the tool tip; -1 when no device reports one.
    void showBattery(int percent);

signals:
    void toggleWindowRequested();
    void showWindowRequested();
    void aboutRequested();
    void exitRequested();
    void profileChosen(int index);
    // The menu is about to open: its profiles can be brought up to date.
    void menuAboutToShow();
    // Every menu item reports its name, as the main window's menu command does.
    void menuCommand(const QString& itemName);

private:
    void addItems();
    void retext();
    void onActivated(QSystemTrayIcon::ActivationReason reason);
    void onTriggered(const QString& itemName);

    const LanguageManager& m_language;
    QSystemTrayIcon m_icon;
    QMenu m_menu;
    QAction* m_profilesEnd = nullptr;
    QList<QAction*> m_profiles;
    int m_battery = -1;
};

}  // namespace kestrion::ui
