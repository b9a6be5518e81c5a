#pragma once

#include <QObject>
#include <QString>

#include <vector>

#include "profiles/language_list.h"

class QSettings;

namespace kestrion::ui {

class LanguageManager;

// The user's language: the list of languages the program ships, the chosen one remembered in the
// user's settings, and the switch that re-texts every open window at once.
class LanguageSwitch : public QObject {
    Q_OBJECT
public:
    // The settings value holding the chosen row's "Language_ID".
    static constexpr const char* kSettingsKey = "LANGUAGE";

    LanguageSwitch(LanguageManager& language, QSettings& settings, const std::string& listPath,
                   QObject* parent = nullptr);

    const std::vector<LanguageEntry>& languages() const { return m_list; }
    // The row in use; -1 before the first switch.
    int currentIndex() const { return m_current; }

    // The row of the stored choice; without one, the row of fallbackId, else the first.
    int storedIndex(long long fallbackId) const;
    // Loads row index's language, re-texting every widget, and stores its id. Nothing happens for
    // the row in use or a row that does not exist; false when its file cannot be loaded (the
    // texts and the stored choice then stay as they were).
    bool setLanguage(int index);

signals:
    void languageSwitched(int index);

private:
    LanguageManager& m_language;
    QSettings& m_settings;
    std::vector<LanguageEntry> m_list;
    int m_current = -1;
};

}  // namespace kestrion::ui
