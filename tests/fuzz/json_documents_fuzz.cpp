// Every JSON document kind the tool reads, from memory: the bytes are parsed once and handed to the
// readers of profile documents (mouse, keyboard, headset records, with their light configuration
// and effect lists), profile lists, macro indexes and the name lists of the mouse page.

#include "fuzz_input.h"
#include "profiles/hs6533_profile_data.h"
#include "profiles/json_file.h"
#include "profiles/keyboard_profile_data.h"
#include "profiles/mouse_profile_data.h"
#include "profiles/profile_list_store.h"
#include "profiles/profile_names.h"

namespace {

using namespace kestrion;

// A record whose every document is the fuzz input and whose writes stay in memory.
template <typename Record>
class InMemory : public Record {
public:
    explicit InMemory(const Json::Value& document) : m_document(document)
    {
        this->SetProfilePath("memory/profile.Json");
        this->SetDefaultPath("memory/default.Json");
        this->SetLightConfigPath("memory/light.config");
    }

    bool WriteDocument(const Json::Value& document, const std::string&) override
    {
        m_written = document;
        return true;
    }

    // The on-disk form of the last document written.
    std::string writtenText() const { return styledJsonText(m_written); }

protected:
    Json::Value ReadDocument(const std::string&) const override { return m_document; }

private:
    const Json::Value& m_document;
    Json::Value m_written;
};

void readMouse(const Json::Value& document)
{
    InMemory<CMouseProfiledata> mouse(document);
    mouse.LoadProfile(mouse.GetProfilePath());
    mouse.LoadLightConfig(mouse.GetLightConfigPath());
    mouse.SetLightInfo(mouse.GetLightInfo());
    mouse.GetCustomLightEffects();
    mouse.SetAudioLightInfo(mouse.GetAudioLightInfo());
    mouse.GetLightList();
    mouse.SetKeyList(mouse.GetKeyList());
    mouse.SetDpiStages(mouse.GetDpiStages());
    mouse.SetCurrentStage(mouse.GetCurrentStage());
    mouse.SetSystemStages(mouse.GetSystemStages());
    mouse.SaveProfile();
    mouse.writtenText();
}

void readKeyboardAndHeadset(const Json::Value& document)
{
    InMemory<CKeyboardProfiledata> keyboard(document);
    keyboard.LoadProfile(keyboard.GetProfilePath());
    keyboard.SetSystemStages(keyboard.GetSystemStages());
    for (int group = 0; group < 3; ++group)
        keyboard.SetCustomLightColors(keyboard.GetCustomLightColors(group, 4), group);
    keyboard.SetCustomLightGroup(keyboard.GetCustomLightGroup());

    InMemory<CHs6533Profiledata> headset(document);
    headset.LoadProfile(headset.GetProfilePath());
    headset.SetSystemSetStages(headset.GetSystemSetStages());
    // Type 0 (table 1), the first and last factory tables, the custom type and the types past it.
    for (int type : {0, 1, 12, 13, 14, 15})
        headset.GetEqValues(type);
    headset.SetEqValues(3, EqBands{1, 2, 3});
    headset.SetCustomEqNames(headset.GetCustomEqNames());
    headset.GetCustomEqValues(1);
}

void readListsAndNames(const Json::Value& document)
{
    for (const Json::Value& entry : usableProfileEntries(memberOf(document, "profilelist")))
        sameProfileName(textOf(memberOf(entry, "profilename")), textOf(memberOf(entry, "profileUUID")));
    integerOf(memberOf(document, "profileselect"));
    isImportableProfile(document);
    textMembersOf(memberOf(document, "MacroInfo"), "MacroName");
    for (const char* list : {"DefaultLightName", "AreaLightName", "LightInfo"}) {
        for (const Json::Value& device : memberOf(document, list)) {
            textMembersOf(device, "LightName");
            for (const Json::Value& mode : device) {
                truthOf(memberOf(mode, "visible"));
                integerWithin(memberOf(mode, "value"), INT32_MIN, INT32_MAX);
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const Json::Value document = fuzz::documentOf(data, size);
    readMouse(document);
    readKeyboardAndHeadset(document);
    readListsAndNames(document);
    return 0;
}
