#include "platform/audio/alsa_mixer_effects.h"

#include "platform/audio/mixer_properties.h"

#include <alsa/asoundlib.h>

#include <memory>
#include <string>

namespace kestrion::audio {
namespace {

// The capture and playback halves of a simple element have the same calls under two names; one
// table per half keeps the property code free of direction checks.
struct ElementSide {
    int (*hasVolume)(snd_mixer_elem_t*);
    int (*hasSwitch)(snd_mixer_elem_t*);
    int (*getRange)(snd_mixer_elem_t*, long*, long*);
    int (*getDbRange)(snd_mixer_elem_t*, long*, long*);
    int (*getVolume)(snd_mixer_elem_t*, snd_mixer_selem_channel_id_t, long*);
    int (*setVolumeAll)(snd_mixer_elem_t*, long);
    int (*getDb)(snd_mixer_elem_t*, snd_mixer_selem_channel_id_t, long*);
    int (*askDbVolume)(snd_mixer_elem_t*, long, int, long*);
    int (*askVolumeDb)(snd_mixer_elem_t*, long, long*);
    int (*getSwitch)(snd_mixer_elem_t*, snd_mixer_selem_channel_id_t, int*);
    int (*setSwitchAll)(snd_mixer_elem_t*, int);
};

constexpr ElementSide kCaptureSide {
    snd_mixer_selem_has_capture_volume, snd_mixer_selem_has_capture_switch,
    snd_mixer_selem_get_capture_volume_range, snd_mixer_selem_get_capture_dB_range,
    snd_mixer_selem_get_capture_volume, snd_mixer_selem_set_capture_volume_all,
    snd_mixer_selem_get_capture_dB, snd_mixer_selem_ask_capture_dB_vol, snd_mixer_selem_ask_capture_vol_dB,
    snd_mixer_selem_get_capture_switch, snd_mixer_selem_set_capture_switch_all,
};

constexpr ElementSide kPlaybackSide {
    snd_mixer_selem_has_playback_volume, snd_mixer_selem_has_playback_switch,
    snd_mixer_selem_get_playback_volume_range, snd_mixer_selem_get_playback_dB_range,
    snd_mixer_selem_get_playback_volume, snd_mixer_selem_set_playback_volume_all,
    snd_mixer_selem_get_playback_dB, snd_mixer_selem_ask_playback_dB_vol, snd_mixer_selem_ask_playback_vol_dB,
    snd_mixer_selem_get_playback_switch, snd_mixer_selem_set_playback_switch_all,
};

// The levels and switches are read from the first channel; writes set every channel alike.
constexpr snd_mixer_selem_channel_id_t kReadChannel = SND_MIXER_SCHN_FRONT_LEFT;

const ElementSide& sideOf(MixerControl control)
{
    return control == MixerControl::Capture ? kCaptureSide : kPlaybackSide;
}

struct MixerCloser {
    void operator()(snd_mixer_t* mixer) const { snd_mixer_close(mixer); }
};
using MixerHandle = std::unique_ptr<snd_mixer_t, MixerCloser>;

MixerHandle openMixer(const std::string& ctlName)
{
    snd_mixer_t* raw = nullptr;
    if (snd_mixer_open(&raw, 0) < 0)
        return nullptr;
    MixerHandle mixer(raw);
    if (snd_mixer_attach(raw, ctlName.c_str()) < 0 || snd_mixer_selem_register(raw, nullptr, nullptr) < 0
        || snd_mixer_load(raw) < 0)
        return nullptr;
    return mixer;
}

bool hasQuantity(snd_mixer_elem_t* element, const ElementSide& side, MixerQuantity quantity)
{
    if (quantity == MixerQuantity::Mute)
        return side.hasSwitch(element) != 0;
    if (side.hasVolume(element) == 0)
        return false;
    if (quantity == MixerQuantity::VolumeScalar)
        return true;
    long min = 0;
    long max = 0;
    return side.getDbRange(element, &min, &max) == 0 && min < max;
}

// The first element under the control's names that carries the quantity.
snd_mixer_elem_t* findElement(snd_mixer_t* mixer, const MixerProperty& property)
{
    snd_mixer_selem_id_t* id = nullptr;
    snd_mixer_selem_id_alloca(&id);
    for (std::string_view name : elementNamesOf(property.control)) {
        snd_mixer_selem_id_set_name(id, std::string(name).c_str());
        snd_mixer_selem_id_set_index(id, 0);
        snd_mixer_elem_t* element = snd_mixer_find_selem(mixer, id);
        if (element && hasQuantity(element, sideOf(property.control), property.quantity))
            return element;
    }
    return nullptr;
}

std::optional<double> readQuantity(snd_mixer_elem_t* element, const ElementSide& side, MixerQuantity quantity)
{
    long value = 0;
    long min = 0;
    long max = 0;
    switch (quantity) {
    case MixerQuantity::Mute: {
        int on = 0;
        if (side.getSwitch(element, kReadChannel, &on) < 0)
            return std::nullopt;
        return on ? 0.0 : 1.0;
    }
    case MixerQuantity::VolumeDb:
        if (side.getDb(element, kReadChannel, &value) < 0)
            return std::nullopt;
        return dbFromCentiDb(value);
    case MixerQuantity::VolumeScalar:
        if (side.getRange(element, &min, &max) < 0 || side.getVolume(element, kReadChannel, &value) < 0)
            return std::nullopt;
        return scalarFromRaw(value, min, max);
    case MixerQuantity::MaxDb:
        if (side.getDbRange(element, &min, &max) < 0)
            return std::nullopt;
        return dbFromCentiDb(max);
    }
    return std::nullopt;
}

// The raw step whose level is nearest to the wanted one; alsa-lib itself only rounds up or down.
std::optional<long> nearestStepForDb(snd_mixer_elem_t* element, const ElementSide& side, long centiDb)
{
    long below = 0;
    long above = 0;
    if (side.askDbVolume(element, centiDb, -1, &below) < 0 || side.askDbVolume(element, centiDb, 1, &above) < 0)
        return std::nullopt;
    long belowDb = 0;
    long aboveDb = 0;
    if (side.askVolumeDb(element, below, &belowDb) < 0 || side.askVolumeDb(element, above, &aboveDb) < 0)
        return std::nullopt;
    return centiDb - belowDb <= aboveDb - centiDb ? below : above;
}

bool writeQuantity(snd_mixer_elem_t* element, const ElementSide& side, MixerQuantity quantity, double value)
{
    switch (quantity) {
    case MixerQuantity::Mute:
        if (value != 0.0 && value != 1.0)
            return false;
        return side.setSwitchAll(element, value == 0.0 ? 1 : 0) >= 0;
    case MixerQuantity::VolumeDb: {
        std::optional<long> centiDb = centiDbFromDb(value);
        std::optional<long> step = centiDb ? nearestStepForDb(element, side, *centiDb) : std::nullopt;
        return step && side.setVolumeAll(element, *step) >= 0;
    }
    case MixerQuantity::VolumeScalar: {
        long min = 0;
        long max = 0;
        if (side.getRange(element, &min, &max) < 0)
            return false;
        std::optional<long> raw = rawFromScalar(value, min, max);
        return raw && side.setVolumeAll(element, *raw) >= 0;
    }
    case MixerQuantity::MaxDb:
        return false;
    }
    return false;
}

}  // namespace

AlsaMixerEffects::AlsaMixerEffects(std::vector<SoundCard> cards)
    : m_cards(std::move(cards))
{
}

std::vector<AudioEndpoint> AlsaMixerEffects::endpoints()
{
    std::vector<AudioEndpoint> list;
    for (std::size_t i = 0; i < m_cards.size(); ++i)
        list.push_back({static_cast<int>(i), static_cast<int>(endpointTypeOf(m_cards[i])), 0, true});
    return list;
}

bool AlsaMixerEffects::supports(const AudioEndpoint& endpoint, std::string_view property)
{
    const SoundCard* card = cardOf(endpoint);
    std::optional<MixerProperty> mixerProperty = findMixerProperty(property);
    if (!card || !mixerProperty)
        return false;
    MixerHandle mixer = openMixer(card->ctlName);
    return mixer && findElement(mixer.get(), *mixerProperty) != nullptr;
}

std::optional<PropertyValue> AlsaMixerEffects::read(const AudioEndpoint& endpoint, std::string_view property)
{
    const SoundCard* card = cardOf(endpoint);
    std::optional<MixerProperty> mixerProperty = findMixerProperty(property);
    if (!card || !mixerProperty)
        return std::nullopt;
    MixerHandle mixer = openMixer(card->ctlName);
    snd_mixer_elem_t* element = mixer ? findElement(mixer.get(), *mixerProperty) : nullptr;
    if (!element)
        return std::nullopt;
    std::optional<double> value = readQuantity(element, sideOf(mixerProperty->control), mixerProperty->quantity);
    if (!value)
        return std::nullopt;
    return PropertyValue {*value, -1.0};
}

bool AlsaMixerEffects::write(const AudioEndpoint& endpoint, std::string_view property, PropertyValue value)
{
    const SoundCard* card = cardOf(endpoint);
    std::optional<MixerProperty> mixerProperty = findMixerProperty(property);
    if (!card || !mixerProperty)
        return false;
    MixerHandle mixer = openMixer(card->ctlName);
    snd_mixer_elem_t* element = mixer ? findElement(mixer.get(), *mixerProperty) : nullptr;
    return element && writeQuantity(element, sideOf(mixerProperty->control), mixerProperty->quantity, value.value);
}

const SoundCard* AlsaMixerEffects::cardOf(const AudioEndpoint& endpoint) const
{
    if (endpoint.index < 0 || static_cast<std::size_t>(endpoint.index) >= m_cards.size())
        return nullptr;
    return &m_cards[static_cast<std::size_t>(endpoint.index)];
}

}  // namespace kestrion::audio
