#pragma once

#include "platform/audio/sound_cards.h"
#include "support/temp_dir.h"

#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace kestrion::audio::test {

// Sound cards served by the fake alsa-lib control plugin: a private alsa-lib configuration naming
// the cards "fake_<name>" with their controls, and a state file per card holding the raw values.
class FakeSoundCards {
public:
    // Control lists of the cards the tests use.
    static inline const std::map<std::string, std::string> kCards = {
        // A headset with a separate sidetone control.
        {"headset", "Mic Capture Volume,Mic Capture Switch,Sidetone Playback Volume,Sidetone Playback Switch"},
        // A chip that monitors through the microphone's playback side.
        {"cmedia", "Speaker Playback Volume,Mic Playback Volume,Mic Playback Switch,Mic Capture Volume,"
                   "Mic Capture Switch"},
        // A microphone level without a switch and without monitoring.
        {"levelonly", "Headset Capture Volume"},
    };

    FakeSoundCards()
    {
        std::ostringstream config;
        config << "ctl_type.kestrion_fake { lib \"" << KESTRION_FAKE_MIXER_CARD << "\" }\n";
        for (const auto& [name, controls] : kCards) {
            config << "ctl.fake_" << name << " { type kestrion_fake controls \"" << controls << "\" state \""
                   << statePath(name) << "\" }\n";
        }
        kestrion::test::writeFile(m_dir.file("asound.conf"), config.str());
        setenv("ALSA_CONFIG_PATH", m_dir.file("asound.conf").c_str(), 1);
    }

    std::string statePath(const std::string& card) const { return m_dir.file(card + ".state"); }

    // Each control's raw value as the card holds it.
    std::map<std::string, long> state(const std::string& card) const
    {
        std::map<std::string, long> values;
        std::istringstream in(kestrion::test::readFile(statePath(card)));
        std::string line;
        while (std::getline(in, line)) {
            const auto equals = line.find('=');
            values[line.substr(0, equals)] = std::stol(line.substr(equals + 1));
        }
        return values;
    }

private:
    kestrion::test::TempDir m_dir;
};

}  // namespace kestrion::audio::test
