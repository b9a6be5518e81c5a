// An alsa-lib control plugin standing in for a USB headset's sound card: the mixer library loads
// it through an ordinary configuration ("ctl_type.kestrion_fake"), so the whole mixer stack runs as
// it does on a real card. The card's controls are named in the configuration; their values live in
// a state file ("Name=value" lines) the tests seed and inspect.
//
// Volumes run over raw steps 0..48, from -16 dB in steps of 0.5 dB; switches are booleans.

#include <alsa/asoundlib.h>
#include <alsa/control_external.h>

#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr long kVolumeMin = 0;
constexpr long kVolumeMax = 48;
constexpr unsigned kDbScaleMinCentiDb = static_cast<unsigned>(-1600);
constexpr unsigned kDbScaleStepCentiDb = 50;
constexpr unsigned kDbScaleTlv[] = {SND_CTL_TLVT_DB_SCALE, 2 * sizeof(unsigned), kDbScaleMinCentiDb,
                                    kDbScaleStepCentiDb};

struct FakeCard {
    snd_ctl_ext_t ext {};
    std::vector<std::string> controls;
    std::string statePath;
    std::map<std::string, long> values;
};

bool isSwitch(const std::string& name)
{
    return name.ends_with(" Switch");
}

FakeCard& cardOf(snd_ctl_ext_t* ext)
{
    return *static_cast<FakeCard*>(ext->private_data);
}

void loadState(FakeCard& card)
{
    for (const std::string& name : card.controls)
        card.values[name] = isSwitch(name) ? 1 : kVolumeMin;
    std::ifstream in(card.statePath);
    std::string line;
    while (std::getline(in, line)) {
        const auto equals = line.find('=');
        if (equals != std::string::npos && card.values.count(line.substr(0, equals)))
            card.values[line.substr(0, equals)] = std::stol(line.substr(equals + 1));
    }
}

void saveState(const FakeCard& card)
{
    std::ofstream out(card.statePath, std::ios::trunc);
    for (const auto& [name, value] : card.values)
        out << name << '=' << value << '\n';
}

void closeCard(snd_ctl_ext_t* ext)
{
    delete &cardOf(ext);
}

int elemCount(snd_ctl_ext_t* ext)
{
    return static_cast<int>(cardOf(ext).controls.size());
}

int elemList(snd_ctl_ext_t* ext, unsigned offset, snd_ctl_elem_id_t* id)
{
    snd_ctl_elem_id_set_interface(id, SND_CTL_ELEM_IFACE_MIXER);
    snd_ctl_elem_id_set_name(id, cardOf(ext).controls.at(offset).c_str());
    return 0;
}

snd_ctl_ext_key_t findElem(snd_ctl_ext_t* ext, const snd_ctl_elem_id_t* id)
{
    const std::vector<std::string>& controls = cardOf(ext).controls;
    const std::string name = snd_ctl_elem_id_get_name(id);
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (controls[i] == name)
            return i;
    }
    return SND_CTL_EXT_KEY_NOT_FOUND;
}

int getAttribute(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, int* type, unsigned* access, unsigned* count)
{
    const bool switchControl = isSwitch(cardOf(ext).controls.at(key));
    *type = switchControl ? SND_CTL_ELEM_TYPE_BOOLEAN : SND_CTL_ELEM_TYPE_INTEGER;
    *access = SND_CTL_EXT_ACCESS_READWRITE | (switchControl ? 0 : SND_CTL_EXT_ACCESS_TLV_READ);
    *count = 1;
    return 0;
}

int getIntegerInfo(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, long* min, long* max, long* step)
{
    const bool switchControl = isSwitch(cardOf(ext).controls.at(key));
    *min = switchControl ? 0 : kVolumeMin;
    *max = switchControl ? 1 : kVolumeMax;
    *step = 1;
    return 0;
}

int readInteger(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, long* value)
{
    FakeCard& card = cardOf(ext);
    *value = card.values.at(card.controls.at(key));
    return 0;
}

int writeInteger(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, long* value)
{
    FakeCard& card = cardOf(ext);
    long& stored = card.values.at(card.controls.at(key));
    const bool changed = stored != *value;
    stored = *value;
    saveState(card);
    return changed ? 1 : 0;
}

int readEvent(snd_ctl_ext_t*, snd_ctl_elem_id_t*, unsigned*)
{
    return -EAGAIN;
}

const snd_ctl_ext_callback_t& callbacks()
{
    static const snd_ctl_ext_callback_t table = [] {
        snd_ctl_ext_callback_t entries {};
        entries.close = closeCard;
        entries.elem_count = elemCount;
        entries.elem_list = elemList;
        entries.find_elem = findElem;
        entries.get_attribute = getAttribute;
        entries.get_integer_info = getIntegerInfo;
        entries.read_integer = readInteger;
        entries.write_integer = writeInteger;
        entries.read_event = readEvent;
        return entries;
    }();
    return table;
}

std::vector<std::string> splitControls(const std::string& list)
{
    std::vector<std::string> controls;
    std::stringstream in(list);
    std::string name;
    while (std::getline(in, name, ','))
        controls.push_back(name);
    return controls;
}

int readSettings(snd_config_t* conf, FakeCard& card)
{
    snd_config_iterator_t i;
    snd_config_iterator_t next;
    snd_config_for_each(i, next, conf) {
        snd_config_t* entry = snd_config_iterator_entry(i);
        const char* key = nullptr;
        const char* text = nullptr;
        if (snd_config_get_id(entry, &key) < 0)
            continue;
        if (std::strcmp(key, "controls") == 0 && snd_config_get_string(entry, &text) == 0)
            card.controls = splitControls(text);
        else if (std::strcmp(key, "state") == 0 && snd_config_get_string(entry, &text) == 0)
            card.statePath = text;
    }
    return card.statePath.empty() ? -EINVAL : 0;
}

}  // namespace

extern "C" {

SND_CTL_PLUGIN_DEFINE_FUNC(kestrion_fake)
{
    (void)root;
    auto* card = new FakeCard;
    if (readSettings(conf, *card) < 0) {
        delete card;
        return -EINVAL;
    }
    loadState(*card);
    card->ext.version = SND_CTL_EXT_VERSION;
    card->ext.card_idx = 0;
    std::strcpy(card->ext.id, "KFake");
    std::strcpy(card->ext.driver, "USB-Audio");
    std::strcpy(card->ext.name, "Fake headset");
    std::strcpy(card->ext.longname, "Fake USB headset");
    std::strcpy(card->ext.mixername, "Fake USB mixer");
    card->ext.poll_fd = -1;
    card->ext.callback = &callbacks();
    card->ext.private_data = card;
    card->ext.tlv.p = kDbScaleTlv;
    const int result = snd_ctl_ext_create(&card->ext, name, mode);
    if (result < 0) {
        delete card;
        return result;
    }
    *handlep = card->ext.handle;
    return 0;
}

SND_CTL_PLUGIN_SYMBOL(kestrion_fake)

}
