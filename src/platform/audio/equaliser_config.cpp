#include "platform/audio/equaliser_config.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace kestrion::audio {
namespace {

constexpr std::string_view kSettingsPrefix = "# kestrion-equaliser enabled=";
constexpr std::string_view kGainsKey = " gains=";
// An octave-wide peak.
constexpr double kBandQ = 1.41;
constexpr std::string_view kNodeName = "kestrion_equaliser";

std::string formatNumber(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

std::string bandName(std::size_t band)
{
    return "eq_band_" + std::to_string(band + 1);
}

std::string settingsLine(const EqualiserSettings& settings)
{
    std::string line(kSettingsPrefix);
    line += settings.enabled ? "1" : "0";
    line += kGainsKey;
    for (std::size_t band = 0; band < kEqualiserBands; ++band)
        line += (band ? "," : "") + formatNumber(settings.gains[band]);
    return line + "\n";
}

std::string filterNodes(const EqualiserSettings& settings)
{
    std::string text;
    for (std::size_t band = 0; band < kEqualiserBands; ++band) {
        const double gain = settings.enabled ? settings.gains[band] : 0.0;
        text += "                    { type = builtin name = " + bandName(band) + " label = bq_peaking control = { "
                "\"Freq\" = " + formatNumber(kEqualiserFrequencies[band]) + " \"Q\" = " + formatNumber(kBandQ)
                + " \"Gain\" = " + formatNumber(gain) + " } }\n";
    }
    return text;
}

std::string filterLinks()
{
    std::string text;
    for (std::size_t band = 0; band + 1 < kEqualiserBands; ++band) {
        text += "                    { output = \"" + bandName(band) + ":Out\" input = \"" + bandName(band + 1)
                + ":In\" }\n";
    }
    return text;
}

std::string playbackProps(std::string_view targetSink)
{
    std::string text = "                node.name = \"" + std::string(kNodeName) + "_output\"\n"
                       "                node.passive = true\n";
    if (!targetSink.empty())
        text += "                target.object = \"" + std::string(targetSink) + "\"\n";
    return text;
}

std::optional<double> parseNumber(std::string_view text)
{
    double value = 0.0;
    auto [ptr, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || ptr != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

}  // namespace

std::string equaliserConfigText(const EqualiserSettings& settings, std::string_view targetSink)
{
    return settingsLine(settings)
        + "# Written by Kestrion Config: the headset's ten-band equaliser. Changes here are overwritten.\n"
          "context.modules = [\n"
          "    {   name = libpipewire-module-filter-chain\n"
          "        args = {\n"
          "            node.description = \"Kestrion headset equaliser\"\n"
          "            media.name = \"Kestrion headset equaliser\"\n"
          "            filter.graph = {\n"
          "                nodes = [\n"
        + filterNodes(settings)
        + "                ]\n"
          "                links = [\n"
        + filterLinks()
        + "                ]\n"
          "            }\n"
          "            audio.channels = 2\n"
          "            audio.position = [ FL FR ]\n"
          "            capture.props = {\n"
          "                node.name = \""
        + std::string(kNodeName)
        + "\"\n"
          "                media.class = Audio/Sink\n"
          "            }\n"
          "            playback.props = {\n"
        + playbackProps(targetSink)
        + "            }\n"
          "        }\n"
          "    }\n"
          "]\n";
}

std::optional<EqualiserSettings> parseEqualiserSettings(std::string_view configText)
{
    const std::string_view line = configText.substr(0, configText.find('\n'));
    if (!line.starts_with(kSettingsPrefix))
        return std::nullopt;
    std::string_view rest = line.substr(kSettingsPrefix.size());
    EqualiserSettings settings;
    if (rest.starts_with("1"))
        settings.enabled = true;
    else if (!rest.starts_with("0"))
        return std::nullopt;
    rest.remove_prefix(1);
    if (!rest.starts_with(kGainsKey))
        return std::nullopt;
    rest.remove_prefix(kGainsKey.size());
    for (std::size_t band = 0; band < kEqualiserBands; ++band) {
        const auto comma = rest.find(',');
        const bool last = band + 1 == kEqualiserBands;
        if (last != (comma == std::string_view::npos))
            return std::nullopt;
        std::optional<double> gain = parseNumber(rest.substr(0, comma));
        if (!gain || std::abs(*gain) > kEqualiserGainLimit)
            return std::nullopt;
        settings.gains[band] = *gain;
        rest.remove_prefix(last ? rest.size() : comma + 1);
    }
    return settings;
}

}  // namespace kestrion::audio
