#pragma once

#include <QString>

#include <array>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "devices/headset_audio.h"
#include "devices/headset_lighting.h"
#include "devices/pages/mouse_pad_device.h"
#include "platform/audio/audio_effects.h"
#include "profiles/hs6533_profile_data.h"

class QAbstractButton;
class QComboBox;
class QSlider;

namespace kestrion {

// The USB headset: the mouse pad's HID side (settings page, power, notifications) with its own
// lighting reports, and the audio side (equaliser, microphone, monitoring, voice effects) through
// the audio seam. Without an audio back end the HID side works alone.
class CQuellonHS6533Device : public CQuellonMousePadDevice {
    Q_OBJECT
public:
    static constexpr int kVoiceEffectCount = 6;

    explicit CQuellonHS6533Device(QObject* parent = nullptr);
    ~CQuellonHS6533Device() override;

    QString controlClass() const override;
    // The audio side; null leaves it absent. Given before the page is built.
    void setAudioEffects(std::unique_ptr<audio::AudioEffects> effects);

    void initPage() override;
    void loadLightingPreview() override;
    void pushLightFrame() override;
    void loadProfile() override;
    void refreshPage() override;

    // What the page's audio controls do; each runs its property calls on the device's worker and
    // shows the outcome when they are done.
    void applyEqPreset(int preset);
    void applySelectedCustomPreset();
    void moveEqBand(int band, int gain);
    void setMicLevel(MicChannel channel, int level);
    void toggleMicMute(MicChannel channel);
    void enableVoiceEffects(bool on);
    void selectVoiceEffect(int effect);
    void saveCustomPreset();
    void deleteCustomPreset();
    // Asks first; then the audio reset, and the page and the profile follow it.
    void resetAudio();

    CHs6533Profiledata& headsetProfile() { return *m_headsetRecord; }
    bool audioAvailable() const { return m_audioReady; }

protected:
    // The ear cups show the frames the host sends.
    bool drivesDeviceLights() const override { return true; }

private:
    using AudioOp = std::function<UiStep(HeadsetAudio&)>;
    // The microphone's and the monitoring's volume as the back end reads them back.
    using Volumes = std::array<std::optional<double>, 2>;

    void bindAudioControls();
    void bindEqualiser();
    void bindMicrophone();
    void bindVoiceEffects();
    void bindCustomPresets();
    void probeAudio();
    void audioProbed(bool found, std::set<std::string> supported);
    void showAudioState();
    void runAudio(AudioOp op);
    void syncAudioRecord();
    void applyProfileAudio();
    void commitStages(const HeadsetSystemSetStages& stages, bool save);
    void audioFailed();
    void showBands(const EqBands& bands);
    void showEqType(int type);
    void showMicState();
    void showVoiceState();
    static Volumes volumesOf(HeadsetAudio& audio);
    void showVolumes(const Volumes& volumes);
    void showVolume(MicChannel channel, std::optional<double> volume);
    void fillCustomPresets(int selected);
    void sendLightFrame();
    EqBands shownBands() const;
    QString text(const char* id) const;

    CHs6533Profiledata* m_headsetRecord;
    // The audio back end and what follows are used on the worker only, once the page is built.
    std::unique_ptr<audio::AudioEffects> m_audio;
    std::optional<audio::AudioEndpoint> m_endpoint;
    CHs6533Profiledata m_audioRecord;
    bool m_audioReady = false;
    std::set<std::string> m_supported;
    // Guards the frame the next queued send carries.
    std::mutex m_frameLock;
    HeadsetFrame m_stagedFrame{};
    std::optional<HeadsetFrame> m_lastSent;
};

}  // namespace kestrion
