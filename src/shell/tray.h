#pragma once

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>

namespace kestrion::ui {

class LanguageManager;

// The tool's tray icon and its menu. A left click asks the main window to show or hide; the
// menu's items "about_menu" and "exit" ask for the about window and for the end of the tool.
// Menu texts follow the current language.
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

signals:
    void toggleWindowRequested();
    void aboutRequested();
    void exitRequested();
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
};

}  // namespace kestrion::ui
