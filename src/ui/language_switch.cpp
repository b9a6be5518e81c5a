#include "ui/language_switch.h"

#include <QSettings>

#include "ui/language_manager.h"

namespace kestrion::ui {

LanguageSwitch::LanguageSwitch(LanguageManager& language, QSettings& settings, const std::string& listPath,
                               QObject* parent)
    : QObject(parent), m_language(language), m_settings(settings), m_list(loadLanguageList(listPath))
{
}

int LanguageSwitch::storedIndex(long long fallbackId) const
{
    bool stored = false;
    const long long id = m_settings.value(kSettingsKey).toLongLong(&stored);
    const int fallback = languageIndexOf(m_list, fallbackId, 0);
    return stored ? languageIndexOf(m_list, id, fallback) : fallback;
}

bool LanguageSwitch::setLanguage(int index)
{
    if (index == m_current)
        return true;
    if (index < 0 || index >= static_cast<int>(m_list.size()))
        return false;
    const LanguageEntry& entry = m_list[static_cast<std::size_t>(index)];
    if (!m_language.load(QString::fromStdString(entry.file)))
        return false;
    m_current = index;
    m_settings.setValue(kSettingsKey, entry.id);
    m_settings.sync();
    emit languageSwitched(index);
    return true;
}

}  // namespace kestrion::ui
