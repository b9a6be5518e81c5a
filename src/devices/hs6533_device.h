#pragma once

#include <QString>

#include <array>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "devices/headset_audio.h"
#include "devices/headset_lighting.h"
#include "devices/mouse_pad_device.h"
#include "platform/audio/audio_effects.h"
#include "profiles/hs6533_profile_data.h"

namespace kestrion {

// The USB headset: the mouse pad's HID side (settings page, power, notifications) with its own
// lighting reports, and the audio side (equaliser, microphone, monitoring, voice effects) through
// the audio seam. Without an audio back end the HID side works alone.
class CQuellonHS6533Device : public CQuellonMousePadDevice {
    Q_OBJECT
public:
    static constexpr int kVoiceEffectCount = 6;
    // The back end's properties the headset's audio operations use.
    static std::set<std::string> audioProperties();

    explicit CQuellonHS6533Device(QObject* parent = nullptr);
    ~CQuellonHS6533Device() override;

    QString controlClass() const override;
    // The audio side; null leaves it absent. Given before the page is built.
    void setAudioEffects(std::unique_ptr<audio::AudioEffects> effects);

    // The pad's preparation, then the search for the headset's sound card.
    void prepare() override;
    void loadLightingPreview() override;
    void pushLightFrame() override;
    void loadProfile() override;

    // The audio operations; each runs its property calls on the device's worker and announces
    // the outcome when they are done. A failure is told and the profile shown again.
    // A preset 1-12; the custom type (13) takes applyCustomPreset.
    void applyEqPreset(int preset);
    // The custom preset at `index` of the saved list; -1 chooses the custom type with none.
    void applyCustomPreset(int index);
    void moveEqBand(int band, int gain);
    void setMicLevel(MicChannel channel, int level);
    void toggleMicMute(MicChannel channel);
    void enableVoiceEffects(bool on);
    void selectVoiceEffect(int effect);
    // Keeps `bands` as the custom preset `name` (trimmed); a name already in the list is
    // overwritten, an empty one is refused and told.
    void saveCustomPreset(const QString& name, const EqBands& bands);
    void deleteCustomPreset(int index);
    // Asks first; then the audio reset, and the profile follows it.
    void resetAudio();

    CHs6533Profiledata& headsetProfile() { return *m_headsetRecord; }
    const CHs6533Profiledata& headsetProfile() const { return *m_headsetRecord; }
    bool audioAvailable() const { return m_audioReady; }
    // The bands kept for the custom preset at `index`; flat for one not kept.
    EqBands customPresetBands(int index) const;
    // Whether the back end found carries `property`.
    bool supports(const std::string& property) const { return m_supported.contains(property); }

signals:
    // The sound card was looked for: audioAvailable and supports answer from now on.
    void audioStateChanged();
    // The equaliser took a type (0 none, 1-12 a preset, 13 custom) or its bands.
    void eqTypeShown(int type);
    void bandsShown(const EqBands& bands);
    // The saved custom presets changed; `selected` is the one chosen, -1 none.
    void customPresetsChanged(int selected);
    void micStateChanged();
    void voiceStateChanged();
    // The level the back end reads back for a channel; none when it reads nothing.
    void volumeRead(MicChannel channel, std::optional<double> volume);

protected:
    // The ear cups show the frames the host sends.
    bool drivesDeviceLights() const override { return true; }

private:
    using AudioOp = std::function<UiStep(HeadsetAudio&)>;
    // The microphone's and the monitoring's volume as the back end reads them back.
    using Volumes = std::array<std::optional<double>, 2>;

    void probeAudio();
    void audioProbed(bool found, std::set<std::string> supported);
    void runAudio(AudioOp op);
    void syncAudioRecord();
    void applyProfileAudio();
    void commitStages(const HeadsetSystemSetStages& stages, bool save);
    void audioFailed();
    static Volumes volumesOf(HeadsetAudio& audio);
    void showVolumes(const Volumes& volumes);
    void sendLightFrame();

    CHs6533Profiledata* m_headsetRecord;
    // The audio back end and what follows are used on the worker only, once prepared.
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
