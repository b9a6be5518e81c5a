#pragma once

#include <optional>

#include "devices/headset_audio.h"
#include "pages/pad_view.h"

class QAbstractButton;

namespace kestrion {

class CQuellonHS6533Device;

// The headset's page: the pad's lighting side, and its sound (equaliser, custom presets,
// microphone and monitoring, voice effects) shown from the headset's profile and the sound card
// it found, each control handing its change to the headset.
class HeadsetView : public PadView {
    Q_OBJECT
public:
    explicit HeadsetView(CQuellonHS6533Device& headset, QWidget* parent = nullptr);

protected:
    void initPage() override;
    void showProfile() override;

private:
    void bindEqualiser();
    void bindMicrophone();
    void bindVoiceEffects();
    void bindCustomPresets();
    void showAudioState();
    void showBands(const EqBands& bands);
    EqBands shownBands() const;
    void showEqType(int type);
    void showMicState();
    void showVoiceState();
    void showCustomPresets(int selected);
    void showVolume(MicChannel channel, std::optional<double> volume);
    void choosePreset(int preset);
    int chosenCustomPreset() const;

    CQuellonHS6533Device& m_headset;
};

}  // namespace kestrion
