#pragma once

#include "platform/audio/audio_effects.h"
#include "platform/audio/sound_cards.h"

#include <vector>

namespace kestrion::audio {

// The microphone and monitoring properties of sound cards through alsa-lib's mixer (see
// mixer_properties.h for the names and value formats). Each card is one endpoint (its index in
// the card list, direction 0) that carries both its output's and its microphone's properties.
// Every call opens the card's mixer afresh, so a card unplugged in between fails cleanly instead
// of acting on a stale handle.
class AlsaMixerEffects : public AudioEffects {
public:
    explicit AlsaMixerEffects(std::vector<SoundCard> cards);

    std::vector<AudioEndpoint> endpoints() override;
    bool supports(const AudioEndpoint& endpoint, std::string_view property) override;
    std::optional<PropertyValue> read(const AudioEndpoint& endpoint, std::string_view property) override;
    bool write(const AudioEndpoint& endpoint, std::string_view property, PropertyValue value) override;

private:
    const SoundCard* cardOf(const AudioEndpoint& endpoint) const;

    std::vector<SoundCard> m_cards;
};

}  // namespace kestrion::audio
