#pragma once

#include <QDialog>
#include <QPoint>
#include <QString>

#include <string>
#include <vector>

#include "ui/message_box.h"

class QComboBox;
class QGridLayout;
class QLabel;

namespace kestrion::ui {

class LanguageManager;
class LanguageSwitch;

// One line of the settings window's version list: a short name ("MS", "AP") and its version
// text; an empty version means the device is not connected.
struct VersionRow {
    QString shortName;
    QString version;
};

// The settings window ("SetWnd"), built from the skin's "setwnd.xml": the language list, which
// switches every open window at once, and the versions of the connected devices and of the
// program. Not modal; the owner keeps one and raises it when asked again.
class CSetWnd : public QDialog {
    Q_OBJECT
public:
    static constexpr QSize kWindowSize{630, 500};

    // dataFolder holds the date file; the window remembers there the day it first showed.
    CSetWnd(const UiResources& resources, LanguageSwitch& languages, const std::string& dataFolder,
            QWidget* owner);

    // False when the skin could not build the window or it lacks one of its controls.
    bool isBuilt() const { return m_combo && m_versions && m_status; }
    void setVersionRows(const std::vector<VersionRow>& rows);
    // Shows the window beside its owner (to its right when the screen has room, else centred on it).
    void showBesideOwner();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void fillLanguages();
    void chooseLanguage(int index);
    void showDate();
    void clearVersions();

    UiResources m_resources;
    const LanguageManager& m_language;
    LanguageSwitch& m_languages;
    QComboBox* m_combo = nullptr;
    QGridLayout* m_versions = nullptr;
    QLabel* m_status = nullptr;
    QString m_date;
    QPoint m_dragOffset;
};

}  // namespace kestrion::ui
