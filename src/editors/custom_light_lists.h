#pragma once

#include <string>
#include <vector>

#include <json/value.h>

#include "profiles/profile_records.h"

namespace kestrion {

// The user's custom effect lists of one device, kept in its light configuration
// ("brylo_light.config" in the device's data folder). The configuration's "LightInfo" row of the
// device names each list ("LightName") and its file ("Guid"); the list's frames lie beside it in
// "<Guid>.light" as "LEDEffectList". Every write replaces a whole file. A configuration that
// exists but cannot be read is damaged: nothing is written over it until startOver is called.
class CustomLightLists {
public:
    static constexpr const char* kEffectsKey = "LEDEffectList";
    enum class State { Missing, Loaded, Damaged };

    CustomLightLists(std::string configPath, int row);

    // Reads the configuration; the lists are empty unless it is Loaded.
    State load();
    State state() const { return m_state; }
    // Drops a damaged configuration's content; the next write replaces it with the lists made since.
    void startOver();

    std::vector<std::string> names() const;
    int count() const { return static_cast<int>(m_entries.size()); }
    // The frames of list index; empty for an unknown index or a missing or unreadable list file.
    std::vector<LedEffect> effects(int index) const;

    // Each returns false, changing nothing on disk or in memory, when the configuration is
    // damaged, the index is unknown or a file could not be written.
    bool create(const std::string& name, const std::vector<LedEffect>& effects);
    bool rename(int index, const std::string& name);
    bool remove(int index);
    bool setEffects(int index, const std::vector<LedEffect>& effects);

    static Json::Value effectsDocument(const std::vector<LedEffect>& effects);

private:
    struct Entry {
        std::string name;
        std::string guid;
    };

    bool writable(int index) const;
    std::string effectsPath(const std::string& guid) const;
    bool writeEffects(const std::string& guid, const std::vector<LedEffect>& effects) const;
    // Writes the configuration with entries as the device's row, keeping every other member.
    bool writeConfig(const std::vector<Entry>& entries);

    std::string m_configPath;
    int m_row;
    State m_state = State::Missing;
    Json::Value m_document;
    std::vector<Entry> m_entries;
};

}  // namespace kestrion
