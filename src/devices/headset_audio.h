#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "platform/audio/audio_effects.h"
#include "profiles/hs6533_profile_data.h"

namespace kestrion {

namespace headset_eq {
inline constexpr int kPresetCount = 12;
inline constexpr int kCustomPreset = 13;
inline constexpr int kFirstPreset = 1;
}  // namespace headset_eq

// The band gains of the built-in equaliser presets 1 to 12; none for any other number.
std::optional<EqBands> eqPresetBands(int preset);
// The property of band 0 to 9 ("EQ_Slider1" to "EQ_Slider10").
std::string eqBandProperty(int band);

// One property of the audio reset, with the value it is reset to.
struct AudioResetStep {
    std::string_view property;
    double value;
};
// Every property of the audio reset, in the order the reset writes them.
const std::array<AudioResetStep, 28>& audioResetOrder();

// What the microphone and the monitoring (sidetone) controls act on.
enum class MicChannel { Input, Monitor };

// The headset's audio operations over one endpoint. Each changes the profile's record fields only
// once every write it needs went through; saving the profile is the caller's.
class HeadsetAudio {
public:
    HeadsetAudio(audio::AudioEffects& effects, audio::AudioEndpoint endpoint, CHs6533Profiledata& record)
        : m_effects(effects), m_endpoint(endpoint), m_record(record)
    {
    }

    // Preset 1 to 12: the equaliser on, the ten bands written, "EqType" and the preset's table
    // in the record. The bands written, or none when refused or a write failed.
    std::optional<EqBands> applyPreset(int preset);
    // Custom preset `index` (the custom list's position) written and selected; -1 only switches
    // to the custom type. The bands written (none for -1), or none when a write failed.
    std::optional<EqBands> applyCustom(int index);
    // A band moved by hand: the equaliser type becomes custom. False when refused or failed.
    bool moveBand(int band, int gain);
    // Level 0 to 100. False when refused or the write failed; else the volume read back, when the
    // back end gives it, for the page to show.
    struct LevelResult {
        bool written = false;
        std::optional<double> volume;
    };
    LevelResult setMicLevel(MicChannel channel, int level);
    // The mute state flipped. The new state (true muted) once written.
    std::optional<bool> toggleMicMute(MicChannel channel);
    // Voice effects on or off; turning them on turns the echo off.
    bool enableVoiceEffects(bool on);
    // Voice effect N (from 1).
    bool selectVoiceEffect(int effect);
    // Every reset property this back end carries written with its reset value, in order; once
    // all went through, the record follows: the equaliser off (no preset type), both channels
    // on at full level, no voice effect (the custom presets stay). False when a write failed (the
    // rest are still written, the record is left alone).
    bool resetAll();
    // The channel's volume as the back end reads it back, when it does.
    std::optional<double> volume(MicChannel channel);
    // The record's audio settings sent as a whole, each where this back end carries it: the
    // equaliser (a preset's or the chosen custom preset's bands; off when no type is chosen), the
    // microphone and monitoring levels and mutes, the voice effect. The record is not changed.
    // False when a write failed (the rest are still written).
    bool applyProfile();

private:
    bool write(std::string_view property, double value, double extra = -1.0);
    // True when written, or when this back end does not carry the property.
    bool writeCarried(std::string_view property, double value, double extra = -1.0);
    bool applyEqualiser(const HeadsetSystemSetStages& stages);
    bool applyMic(MicChannel channel, const HeadsetSystemSetStages& stages);
    bool applyVoice(const HeadsetSystemSetStages& stages);
    std::optional<EqBands> profileBands(const HeadsetSystemSetStages& stages);
    bool writeBands(const EqBands& bands);
    bool muted(MicChannel channel);

    audio::AudioEffects& m_effects;
    audio::AudioEndpoint m_endpoint;
    CHs6533Profiledata& m_record;
};

}  // namespace kestrion
