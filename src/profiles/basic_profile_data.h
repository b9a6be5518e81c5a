#pragma once

#include "profiles/profile_records.h"

#include <json/value.h>
#include <string>
#include <vector>

namespace kestrion {

// The in-memory model of one profile of one device: the device entry of the profile document
// ("Device"[device index]) and typed caches of its sections. Getters parse a section into a record
// (a missing section gives zeros); setters update the cache and the in-memory entry. Nothing reaches
// the disk before SaveProfile or SaveOtherProfile.
class CBasicProfiledata {
public:
    CBasicProfiledata() = default;
    virtual ~CBasicProfiledata() = default;

    // Writing; false when the document could not be written.
    virtual bool SaveProfile();
    // Read-modify-write: other top-level members and other "Device" elements of the file survive.
    virtual bool WriteDeviceEntry(const Json::Value& entry, const std::string& path);
    virtual bool SaveOtherProfile(const std::string& path);
    virtual bool WriteDocument(const Json::Value& document, const std::string& path);

    // Paths and loading. Empty paths are ignored.
    void SetProfilePath(const std::string& path);
    const std::string& GetProfilePath() const { return m_profilePath; }
    void SetDefaultPath(const std::string& path);
    const std::string& GetDefaultPath() const { return m_defaultPath; }
    void SetDeviceIndex(int index);
    int GetDeviceIndex() const { return m_deviceIndex; }

    // Loads the device entry of the document at path. A missing or damaged entry is replaced by the
    // default document's entry, which is written into the file at once. Returns the entry.
    Json::Value LoadProfile(const std::string& path);
    // The same into the other entry, for editing another profile without disturbing this one.
    Json::Value LoadOtherProfile(const std::string& path);
    const Json::Value& CurrentEntry() const { return m_current; }
    const Json::Value& OtherEntry() const { return m_other; }

    void SetLightConfigPath(const std::string& path);
    const std::string& GetLightConfigPath() const { return m_lightConfigPath; }
    // The element of the light configuration's "LightInfo" that holds this device's custom lists.
    void SetLightConfigRow(int row) { m_lightConfigRow = row; }
    Json::Value LoadLightConfig(const std::string& path);

    // Sections of the current entry.
    LightInfo GetLightInfo();
    void SetLightInfo(const LightInfo& light);
    AudioLightInfo GetAudioLightInfo();
    void SetAudioLightInfo(const AudioLightInfo& light);
    std::vector<LightInfo> GetLightList();
    std::vector<KeyEntry> GetKeyList();
    void SetKeyList(const std::vector<KeyEntry>& keys);
    std::vector<KeyEntry> GetOtherKeyList();
    void SetOtherKeyList(const std::vector<KeyEntry>& keys);
    // The effect list the current light's "CustomGroup" chooses among the device's custom lists,
    // read from the ".light" document that the light configuration names.
    std::vector<LedEffect> GetCustomLightEffects();

protected:
    // Where every document of the record comes from; null when it cannot be read.
    virtual Json::Value ReadDocument(const std::string& path) const;

    Json::Value& current() { return m_current; }
    // The current entry when it is a usable object, else nullptr (getters then give zeros).
    Json::Value* currentSection(const char* key);
    // The current entry as an object that setters may write into.
    Json::Value& writableEntry();

private:
    Json::Value loadEntry(const std::string& path);

    std::string m_profilePath;
    std::string m_defaultPath;
    LightInfo m_currentLight {};
    AudioLightInfo m_audioLight {};
    std::vector<LightInfo> m_lightList;
    Json::Value m_current;
    Json::Value m_other;
    std::string m_lightConfigPath;
    std::vector<LedEffect> m_customEffects;
    Json::Value m_lightConfig;
    int m_lightConfigRow = 0;
    std::vector<KeyEntry> m_keyList;
    std::vector<KeyEntry> m_otherKeyList;
    int m_deviceIndex = 0;
};

// One frame of a custom effect list ("LEDEffectList" element) read from and written to a document.
LedEffect ledEffectOf(const Json::Value& element);
Json::Value ledEffectValue(const LedEffect& effect);

// The device entry at "Device"[index] of a document when it is an object, else null.
Json::Value deviceEntryOf(const Json::Value& document, int index);
// Puts entry at "Device"[index], reshaping a document that is not an object with a "Device" array.
void setDeviceEntry(Json::Value& document, int index, const Json::Value& entry);

}  // namespace kestrion
