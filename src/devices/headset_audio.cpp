#include "devices/headset_audio.h"

#include <algorithm>

namespace kestrion {
namespace {

using namespace headset_eq;

constexpr std::array<EqBands, kPresetCount> kPresets = {{
    {7, 11, 2, -3, -1, 4, 9, 12, 9, 5},
    {7, 11, 6, -3, -11, -1, 6, 13, 6, 13},
    {10, 4, 0, -3, -4, -3, -2, -1, 0, 0},
    {2, 1, -2, -3, -5, -7, 0, 4, 9, 8},
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {7, 14, -13, -6, -1, 8, 13, 7, 2, 6},
    {14, 10, 4, 0, -4, -3, -1, 1, 2, 3},
    {2, 1, -2, -3, -5, -1, 7, 11, 15, 13},
    {8, 2, -4, -8, 1, 3, 8, 11, 14, 16},
    {-3, 4, 10, 0, -11, 3, 9, 13, 6, 0},
    {18, 14, 8, 2, -3, -6, -1, 2, 5, 6},
    {2, 1, -2, -4, -8, 4, 12, 16, 18, 15},
}};

// Surround, noise cancelling, volume, equaliser, reverb, mutes, the scalar volumes and the voice
// effects, in this order; full scalar volume, 0 dB and everything else off or flat.
constexpr std::array<AudioResetStep, 28> kResetOrder = {{
    {"XearSurrHP_Enable", 0}, {"VirtualSurroundEffectControl", 0}, {"XearSurrHP_Room", 0},
    {"XearSurrHP_Mode", 0}, {"Enable_ENC_LFX", 0}, {"ENC_SELFCALIB", 0}, {"VolumeControl", 0},
    {"Enable_EQ_GFX", 0}, {"EQ_Slider1", 0}, {"EQ_Slider2", 0}, {"EQ_Slider3", 0}, {"EQ_Slider4", 0},
    {"EQ_Slider5", 0}, {"EQ_Slider6", 0}, {"EQ_Slider7", 0}, {"EQ_Slider8", 0}, {"EQ_Slider9", 0},
    {"EQ_Slider10", 0}, {"Enable_RFX_GFX", 0}, {"RFX_ENVIRONMENT", 0}, {"RFX_ROOMSIZE", 0},
    {"MuteControl", 0}, {"VolumeScalarControl", 1}, {"AAVolumeControl", 0}, {"AAMuteControl", 0},
    {"AAVolumeScalarControl", 1}, {"Enable_MAGICVOICE", 0}, {"MagicVoice_Selection", 0},
}};

constexpr std::string_view kEqEnable = "Enable_EQ_GFX";
constexpr std::string_view kVoiceEnable = "Enable_MAGICVOICE";
constexpr std::string_view kEcho = "Enable_MICECHO";
constexpr std::string_view kVoiceSelection = "MagicVoice_Selection";

struct MicProperties {
    std::string_view scalar;
    std::string_view volume;
    std::string_view mute;
    std::int32_t HeadsetSystemSetStages::*select;
    std::int32_t HeadsetSystemSetStages::*level;
};

constexpr std::array<MicProperties, 2> kMic = {{
    {"VolumeScalarControl", "VolumeControl", "MuteControl", &HeadsetSystemSetStages::micInSelect,
     &HeadsetSystemSetStages::micInValue},
    {"AAVolumeScalarControl", "AAVolumeControl", "AAMuteControl", &HeadsetSystemSetStages::micMonitorSelect,
     &HeadsetSystemSetStages::micMonitorValue},
}};

const MicProperties& micOf(MicChannel channel)
{
    return kMic[channel == MicChannel::Input ? 0 : 1];
}

constexpr int kLevelScale = 100;

// What the reset's values mean for the record: "Enable_EQ_GFX" 0 is no preset type, the mutes 0
// and full scalar volumes are both channels on at 100, "Enable_MAGICVOICE" 0 is no voice effect.
HeadsetSystemSetStages resetStages(HeadsetSystemSetStages stages)
{
    stages.eqType = 0;
    stages.micInSelect = 1;
    stages.micInValue = kLevelScale;
    stages.micMonitorSelect = 1;
    stages.micMonitorValue = kLevelScale;
    stages.magicEnable = 0;
    stages.magicType = 0;
    return stages;
}

}  // namespace

std::optional<EqBands> eqPresetBands(int preset)
{
    if (preset < kFirstPreset || preset > kPresetCount)
        return std::nullopt;
    return kPresets[static_cast<std::size_t>(preset - kFirstPreset)];
}

std::string eqBandProperty(int band)
{
    return "EQ_Slider" + std::to_string(band + 1);
}

const std::array<AudioResetStep, 28>& audioResetOrder()
{
    return kResetOrder;
}

bool HeadsetAudio::write(std::string_view property, double value, double extra)
{
    return m_effects.write(m_endpoint, property, audio::PropertyValue{value, extra});
}

bool HeadsetAudio::writeCarried(std::string_view property, double value, double extra)
{
    return !m_effects.supports(m_endpoint, property) || write(property, value, extra);
}

bool HeadsetAudio::writeBands(const EqBands& bands)
{
    if (!write(kEqEnable, 1))
        return false;
    for (std::size_t band = 0; band < bands.size(); ++band) {
        if (!write(eqBandProperty(static_cast<int>(band)), bands[band]))
            return false;
    }
    return true;
}

std::optional<EqBands> HeadsetAudio::applyPreset(int preset)
{
    const std::optional<EqBands> bands = eqPresetBands(preset);
    if (!bands || !writeBands(*bands))
        return std::nullopt;
    HeadsetSystemSetStages stages = m_record.GetSystemSetStages();
    stages.eqType = preset;
    m_record.SetSystemSetStages(stages);
    m_record.SetEqValues(preset, *bands);
    return bands;
}

std::optional<EqBands> HeadsetAudio::applyCustom(int index)
{
    HeadsetSystemSetStages stages = m_record.GetSystemSetStages();
    EqBands bands{};
    if (index >= 0) {
        const std::vector<int> values = m_record.GetCustomEqValues(index);
        for (std::size_t band = 0; band < bands.size() && band < values.size(); ++band)
            bands[band] = values[band];
        if (!writeBands(bands))
            return std::nullopt;
        stages.customEqSelectIndex = index;
    }
    stages.eqType = kCustomPreset;
    m_record.SetSystemSetStages(stages);
    if (index < 0)
        return std::nullopt;
    return bands;
}

bool HeadsetAudio::moveBand(int band, int gain)
{
    if (band < 0 || band >= static_cast<int>(kEqBands) || !write(eqBandProperty(band), gain))
        return false;
    HeadsetSystemSetStages stages = m_record.GetSystemSetStages();
    if (stages.eqType != kCustomPreset) {
        stages.eqType = kCustomPreset;
        m_record.SetSystemSetStages(stages);
    }
    return true;
}

HeadsetAudio::LevelResult HeadsetAudio::setMicLevel(MicChannel channel, int level)
{
    if (level < 0 || level > kLevelScale)
        return {};
    const MicProperties& mic = micOf(channel);
    if (!write(mic.scalar, static_cast<double>(level) / kLevelScale, -1.0))
        return {};
    HeadsetSystemSetStages stages = m_record.GetSystemSetStages();
    stages.*mic.level = level;
    m_record.SetSystemSetStages(stages);
    return {true, volume(channel)};
}

bool HeadsetAudio::muted(MicChannel channel)
{
    return m_record.GetSystemSetStages().*micOf(channel).select == 0;
}

std::optional<bool> HeadsetAudio::toggleMicMute(MicChannel channel)
{
    const bool nowMuted = !muted(channel);
    const MicProperties& mic = micOf(channel);
    if (!write(mic.mute, nowMuted ? 1 : 0))
        return std::nullopt;
    HeadsetSystemSetStages stages = m_record.GetSystemSetStages();
    stages.*mic.select = nowMuted ? 0 : 1;
    m_record.SetSystemSetStages(stages);
    return nowMuted;
}

bool HeadsetAudio::enableVoiceEffects(bool on)
{
    if (!write(kVoiceEnable, on ? 1 : 0) || (on && !write(kEcho, 0)))
        return false;
    HeadsetSystemSetStages stages = m_record.GetSystemSetStages();
    stages.magicEnable = on ? 1 : 0;
    m_record.SetSystemSetStages(stages);
    return true;
}

bool HeadsetAudio::selectVoiceEffect(int effect)
{
    if (effect < 1 || !write(kVoiceSelection, effect - 1))
        return false;
    HeadsetSystemSetStages stages = m_record.GetSystemSetStages();
    stages.magicType = effect;
    m_record.SetSystemSetStages(stages);
    return true;
}

bool HeadsetAudio::resetAll()
{
    bool allWritten = true;
    for (const AudioResetStep& step : kResetOrder) {
        if (!writeCarried(step.property, step.value))
            allWritten = false;
    }
    if (allWritten)
        m_record.SetSystemSetStages(resetStages(m_record.GetSystemSetStages()));
    return allWritten;
}

std::optional<double> HeadsetAudio::volume(MicChannel channel)
{
    const std::optional<audio::PropertyValue> read = m_effects.read(m_endpoint, micOf(channel).volume);
    return read ? std::optional<double>(read->value) : std::nullopt;
}

bool HeadsetAudio::applyProfile()
{
    const HeadsetSystemSetStages stages = m_record.GetSystemSetStages();
    // Every part is sent even after a failure, so that as much of the profile as possible holds.
    const bool equaliser = applyEqualiser(stages);
    const bool input = applyMic(MicChannel::Input, stages);
    const bool monitor = applyMic(MicChannel::Monitor, stages);
    const bool voice = applyVoice(stages);
    return equaliser && input && monitor && voice;
}

// The bands the profile's equaliser type stands for; none for a custom type without a chosen
// preset (it holds no bands of its own) or a type that is no preset.
std::optional<EqBands> HeadsetAudio::profileBands(const HeadsetSystemSetStages& stages)
{
    if (stages.eqType != kCustomPreset)
        return eqPresetBands(stages.eqType);
    if (stages.customEqSelectIndex < 0)
        return std::nullopt;
    const std::vector<int> values = m_record.GetCustomEqValues(stages.customEqSelectIndex);
    EqBands bands{};
    std::copy_n(values.begin(), std::min(values.size(), bands.size()), bands.begin());
    return bands;
}

bool HeadsetAudio::applyEqualiser(const HeadsetSystemSetStages& stages)
{
    const std::optional<EqBands> bands = profileBands(stages);
    if (!bands)
        return stages.eqType == kCustomPreset || writeCarried(kEqEnable, 0);
    bool allWritten = writeCarried(kEqEnable, 1);
    for (std::size_t band = 0; band < bands->size(); ++band) {
        if (!writeCarried(eqBandProperty(static_cast<int>(band)), (*bands)[band]))
            allWritten = false;
    }
    return allWritten;
}

// A level outside 0 to 100 (a damaged document) is not sent.
bool HeadsetAudio::applyMic(MicChannel channel, const HeadsetSystemSetStages& stages)
{
    const MicProperties& mic = micOf(channel);
    const int level = stages.*mic.level;
    const bool levelWritten =
        level < 0 || level > kLevelScale || writeCarried(mic.scalar, static_cast<double>(level) / kLevelScale, -1.0);
    const bool muteWritten = writeCarried(mic.mute, stages.*mic.select == 0 ? 1 : 0);
    return levelWritten && muteWritten;
}

bool HeadsetAudio::applyVoice(const HeadsetSystemSetStages& stages)
{
    const bool on = stages.magicEnable != 0;
    bool allWritten = writeCarried(kVoiceEnable, on ? 1 : 0);
    if (on && !writeCarried(kEcho, 0))
        allWritten = false;
    if (stages.magicType >= 1 && !writeCarried(kVoiceSelection, stages.magicType - 1))
        allWritten = false;
    return allWritten;
}

}  // namespace kestrion
