#include "platform/audio/pipewire_equaliser.h"

#include "platform/atomic_file.h"

#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace kestrion::audio {
namespace {

constexpr std::string_view kEnableProperty = "Enable_EQ_GFX";
constexpr std::array<std::string_view, kEqualiserBands> kBandProperties = {
    "EQ_Slider1", "EQ_Slider2", "EQ_Slider3", "EQ_Slider4", "EQ_Slider5",
    "EQ_Slider6", "EQ_Slider7", "EQ_Slider8", "EQ_Slider9", "EQ_Slider10",
};

std::optional<std::size_t> bandOf(std::string_view property)
{
    for (std::size_t band = 0; band < kBandProperties.size(); ++band) {
        if (kBandProperties[band] == property)
            return band;
    }
    return std::nullopt;
}

EqualiserSettings settingsInFile(const std::string& path)
{
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return parseEqualiserSettings(text.str()).value_or(EqualiserSettings {});
}

}  // namespace

PipeWireEqualiser::PipeWireEqualiser(Options options)
    : m_configPath(std::move(options.configPath))
    , m_targetSink(std::move(options.targetSink))
    , m_settings(settingsInFile(m_configPath))
    , m_reload(options.settle, std::move(options.reload))
{
}

std::vector<AudioEndpoint> PipeWireEqualiser::endpoints()
{
    return {};
}

bool PipeWireEqualiser::supports(const AudioEndpoint&, std::string_view property)
{
    return property == kEnableProperty || bandOf(property).has_value();
}

std::optional<PropertyValue> PipeWireEqualiser::read(const AudioEndpoint&, std::string_view property)
{
    std::lock_guard lock(m_mutex);
    if (property == kEnableProperty)
        return PropertyValue {m_settings.enabled ? 1.0 : 0.0, -1.0};
    if (std::optional<std::size_t> band = bandOf(property))
        return PropertyValue {m_settings.gains[*band], -1.0};
    return std::nullopt;
}

bool PipeWireEqualiser::write(const AudioEndpoint&, std::string_view property, PropertyValue value)
{
    std::lock_guard lock(m_mutex);
    EqualiserSettings changed = m_settings;
    if (property == kEnableProperty) {
        if (value.value != 0.0 && value.value != 1.0)
            return false;
        changed.enabled = value.value == 1.0;
    } else if (std::optional<std::size_t> band = bandOf(property)) {
        if (!(std::abs(value.value) <= kEqualiserGainLimit))
            return false;
        changed.gains[*band] = value.value;
    } else {
        return false;
    }
    return apply(changed);
}

bool PipeWireEqualiser::apply(const EqualiserSettings& settings)
{
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(m_configPath).parent_path(), error);
    if (!writeFileAtomically(m_configPath, equaliserConfigText(settings, m_targetSink)))
        return false;
    m_settings = settings;
    m_reload.request();
    return true;
}

}  // namespace kestrion::audio
