#include "devices/hs6533_device.h"

#include <algorithm>
#include <array>

namespace kestrion {
namespace {

constexpr int kHeadsetKind = 7;
constexpr int kHeadsetModelValue = 3;
// The preview step of each headset mode (static, breathing, spectrum, off).
constexpr std::array<std::uint8_t, 4> kHeadsetPreviewSteps = {0, 1, 3, 6};

constexpr const char* kAudioLabel = "device_busy_audio_text";
constexpr const char* kWritingLabel = "device_busy_writing_text";
constexpr const char* kAudioFailedId = "audio_write_failed_text";
constexpr const char* kEmptyNameId = "message_text_5_1";
constexpr const char* kResetQuestionId = "hs_audio_reset_ask_text";

// The properties the audio operations use besides the equaliser's bands.
constexpr std::array kAudioProperties = {
    "VolumeScalarControl", "MuteControl",        "AAVolumeScalarControl", "AAMuteControl",
    "Enable_MAGICVOICE",   "MagicVoice_Selection", "Enable_EQ_GFX",
};

EqBands bandsOf(const std::vector<int>& values)
{
    EqBands bands{};
    std::copy_n(values.begin(), std::min(values.size(), bands.size()), bands.begin());
    return bands;
}

}  // namespace

CQuellonHS6533Device::CQuellonHS6533Device(QObject* parent)
    : CQuellonMousePadDevice(parent, Product{kHeadsetKind, kHeadsetModelValue,
                                             {kHeadsetPreviewSteps.begin(), kHeadsetPreviewSteps.end()},
                                             std::make_unique<CHs6533Profiledata>()}),
      // The record given just above is the headset's own.
      m_headsetRecord(static_cast<CHs6533Profiledata*>(&profile()))
{
}

CQuellonHS6533Device::~CQuellonHS6533Device()
{
    stopDeviceWork();
}

QString CQuellonHS6533Device::controlClass() const
{
    return QStringLiteral("QuellonHS6533Device");
}

void CQuellonHS6533Device::setAudioEffects(std::unique_ptr<audio::AudioEffects> effects)
{
    m_audio = std::move(effects);
}

std::set<std::string> CQuellonHS6533Device::audioProperties()
{
    std::set<std::string> properties(kAudioProperties.begin(), kAudioProperties.end());
    for (int band = 0; band < static_cast<int>(kEqBands); ++band)
        properties.insert(eqBandProperty(band));
    return properties;
}

EqBands CQuellonHS6533Device::customPresetBands(int index) const
{
    return bandsOf(m_headsetRecord->GetCustomEqValues(index));
}

void CQuellonHS6533Device::prepare()
{
    CQuellonMousePadDevice::prepare();
    probeAudio();
}

// ---- lighting

void CQuellonHS6533Device::loadLightingPreview()
{
    CQuellonMousePadDevice::loadLightingPreview();
    m_lastSent.reset();
}

void CQuellonHS6533Device::pushLightFrame()
{
    CQuellonMousePadDevice::pushLightFrame();
    if (!lightControl() || !commandChannel().isOpen())
        return;
    const HeadsetFrame frame = headsetFrame(previewFrame());
    if (m_lastSent == frame)
        return;
    m_lastSent = frame;
    {
        std::lock_guard lock(m_frameLock);
        m_stagedFrame = frame;
    }
    runJob(kWritingLabel, [this]() -> UiStep {
        sendLightFrame();
        return {};
    }, "light-frame");
}

// Worker. A frame the headset did not take is sent again with the next change.
void CQuellonHS6533Device::sendLightFrame()
{
    HeadsetFrame frame;
    {
        std::lock_guard lock(m_frameLock);
        frame = m_stagedFrame;
    }
    std::lock_guard io(commandChannel().ioLock());
    for (const HeadsetReport& report : frame) {
        if (!commandChannel().wiredLink().setOutputReport(report.data(), report.size())) {
            runOnUiThread([this] { m_lastSent.reset(); });
            return;
        }
    }
}

// ---- profile

// The first read and every profile choice come here: the headset's sound follows the profile.
void CQuellonHS6533Device::loadProfile()
{
    CQuellonMousePadDevice::loadProfile();
    syncAudioRecord();
    applyProfileAudio();
}

// The worker's copy of the record follows the one the page edits.
void CQuellonHS6533Device::syncAudioRecord()
{
    if (!m_audio)
        return;
    runJob(kAudioLabel, [this, copy = *m_headsetRecord]() -> UiStep {
        m_audioRecord = copy;
        return {};
    });
}

// Queued behind the probe, so the worker knows the endpoint by then; nothing is sent without one.
void CQuellonHS6533Device::applyProfileAudio()
{
    if (!m_audio)
        return;
    runJob(kAudioLabel, [this]() -> UiStep {
        if (!m_endpoint)
            return {};
        HeadsetAudio audio(*m_audio, *m_endpoint, m_audioRecord);
        const bool applied = audio.applyProfile();
        return [this, applied, volumes = volumesOf(audio)] {
            showVolumes(volumes);
            if (!applied)
                showNotice(QString::fromLatin1(kAudioFailedId));
        };
    });
}

void CQuellonHS6533Device::commitStages(const HeadsetSystemSetStages& stages, bool save)
{
    m_headsetRecord->SetSystemSetStages(stages);
    if (save)
        saveRecord();
}

void CQuellonHS6533Device::audioFailed()
{
    showNotice(QString::fromLatin1(kAudioFailedId));
    announceProfile();
}

// ---- audio side: endpoint and supported controls

void CQuellonHS6533Device::probeAudio()
{
    if (!m_audio)
        return;
    runJob(kAudioLabel, [this]() -> UiStep {
        const std::vector<audio::AudioEndpoint> endpoints = m_audio->endpoints();
        m_endpoint = audio::chooseEndpoint(endpoints);
        std::set<std::string> supported;
        if (m_endpoint) {
            for (const std::string& property : audioProperties()) {
                if (m_audio->supports(*m_endpoint, property))
                    supported.insert(property);
            }
        }
        return [this, found = m_endpoint.has_value(), supported] { audioProbed(found, supported); };
    });
}

void CQuellonHS6533Device::audioProbed(bool found, std::set<std::string> supported)
{
    m_audioReady = found;
    m_supported = std::move(supported);
    emit audioStateChanged();
}

void CQuellonHS6533Device::runAudio(AudioOp op)
{
    if (!m_audio || !m_audioReady)
        return;
    runJob(kAudioLabel, [this, op = std::move(op)]() -> UiStep {
        if (!m_endpoint)
            return {};
        HeadsetAudio audio(*m_audio, *m_endpoint, m_audioRecord);
        return op(audio);
    });
}

// ---- audio operations

void CQuellonHS6533Device::applyEqPreset(int preset)
{
    if (!eqPresetBands(preset))
        return;
    runAudio([this, preset](HeadsetAudio& audio) -> UiStep {
        const std::optional<EqBands> bands = audio.applyPreset(preset);
        if (!bands)
            return [this] { audioFailed(); };
        return [this, preset, bands = *bands, stages = m_audioRecord.GetSystemSetStages()] {
            emit bandsShown(bands);
            emit eqTypeShown(preset);
            m_headsetRecord->SetEqValues(preset, bands);
            commitStages(stages, true);
        };
    });
}

void CQuellonHS6533Device::applyCustomPreset(int index)
{
    emit eqTypeShown(headset_eq::kCustomPreset);
    runAudio([this, index](HeadsetAudio& audio) -> UiStep {
        const std::optional<EqBands> bands = audio.applyCustom(index);
        const HeadsetSystemSetStages stages = m_audioRecord.GetSystemSetStages();
        if (index >= 0 && !bands)
            return [this] { audioFailed(); };
        return [this, bands, stages] {
            if (bands)
                emit bandsShown(*bands);
            emit eqTypeShown(stages.eqType);
            commitStages(stages, true);
        };
    });
}

void CQuellonHS6533Device::moveEqBand(int band, int gain)
{
    if (m_headsetRecord->GetSystemSetStages().eqType != headset_eq::kCustomPreset) {
        emit eqTypeShown(headset_eq::kCustomPreset);
        emit customPresetsChanged(-1);
    }
    runAudio([this, band, gain](HeadsetAudio& audio) -> UiStep {
        if (!audio.moveBand(band, gain))
            return [this] { audioFailed(); };
        return [this, stages = m_audioRecord.GetSystemSetStages()] { commitStages(stages, false); };
    });
}

void CQuellonHS6533Device::setMicLevel(MicChannel channel, int level)
{
    runAudio([this, channel, level](HeadsetAudio& audio) -> UiStep {
        const HeadsetAudio::LevelResult result = audio.setMicLevel(channel, level);
        if (!result.written)
            return [this] { audioFailed(); };
        return [this, channel, result, stages = m_audioRecord.GetSystemSetStages()] {
            emit volumeRead(channel, result.volume);
            commitStages(stages, true);
        };
    });
}

void CQuellonHS6533Device::toggleMicMute(MicChannel channel)
{
    runAudio([this, channel](HeadsetAudio& audio) -> UiStep {
        if (!audio.toggleMicMute(channel))
            return [this] { audioFailed(); };
        return [this, stages = m_audioRecord.GetSystemSetStages()] {
            commitStages(stages, true);
            emit micStateChanged();
        };
    });
}

void CQuellonHS6533Device::enableVoiceEffects(bool on)
{
    runAudio([this, on](HeadsetAudio& audio) -> UiStep {
        if (!audio.enableVoiceEffects(on))
            return [this] { audioFailed(); };
        return [this, stages = m_audioRecord.GetSystemSetStages()] {
            commitStages(stages, true);
            emit voiceStateChanged();
        };
    });
}

void CQuellonHS6533Device::selectVoiceEffect(int effect)
{
    if (effect < 1 || effect > kVoiceEffectCount)
        return;
    runAudio([this, effect](HeadsetAudio& audio) -> UiStep {
        if (!audio.selectVoiceEffect(effect))
            return [this] { audioFailed(); };
        return [this, stages = m_audioRecord.GetSystemSetStages()] {
            commitStages(stages, true);
            emit voiceStateChanged();
        };
    });
}

// Everything the reset covers goes back to its default on the headset, then on the page and in
// the profile; the user confirms first, as the change cannot be undone.
void CQuellonHS6533Device::resetAudio()
{
    if (!ask(QString::fromLatin1(kResetQuestionId)))
        return;
    runAudio([this](HeadsetAudio& audio) -> UiStep {
        if (!audio.resetAll())
            return [this] { audioFailed(); };
        return [this, stages = m_audioRecord.GetSystemSetStages(), volumes = volumesOf(audio)] {
            commitStages(stages, true);
            announceProfile();
            showVolumes(volumes);
        };
    });
}

// Worker.
CQuellonHS6533Device::Volumes CQuellonHS6533Device::volumesOf(HeadsetAudio& audio)
{
    return {audio.volume(MicChannel::Input), audio.volume(MicChannel::Monitor)};
}

void CQuellonHS6533Device::showVolumes(const Volumes& volumes)
{
    emit volumeRead(MicChannel::Input, volumes[0]);
    emit volumeRead(MicChannel::Monitor, volumes[1]);
}

void CQuellonHS6533Device::saveCustomPreset(const QString& typed, const EqBands& bands)
{
    const QString name = typed.trimmed();
    if (name.isEmpty()) {
        showNotice(QString::fromLatin1(kEmptyNameId));
        return;
    }
    std::vector<std::string> names = m_headsetRecord->GetCustomEqNames();
    const auto found = std::find(names.begin(), names.end(), name.toStdString());
    const int index = static_cast<int>(found - names.begin());
    if (found == names.end())
        names.push_back(name.toStdString());
    m_headsetRecord->SetCustomEqNames(names);
    m_headsetRecord->SetCustomEqValues(index, bands);
    HeadsetSystemSetStages stages = m_headsetRecord->GetSystemSetStages();
    stages.eqType = headset_eq::kCustomPreset;
    stages.customEqSelectIndex = index;
    commitStages(stages, true);
    emit customPresetsChanged(index);
    syncAudioRecord();
}

void CQuellonHS6533Device::deleteCustomPreset(int index)
{
    std::vector<std::string> names = m_headsetRecord->GetCustomEqNames();
    if (index < 0 || index >= static_cast<int>(names.size()))
        return;
    for (int later = index + 1; later < static_cast<int>(names.size()); ++later) {
        m_headsetRecord->SetCustomEqValues(later - 1, customPresetBands(later));
    }
    names.erase(names.begin() + index);
    m_headsetRecord->SetCustomEqNames(names);
    HeadsetSystemSetStages stages = m_headsetRecord->GetSystemSetStages();
    stages.customEqSelectIndex = -1;
    commitStages(stages, true);
    emit customPresetsChanged(-1);
    syncAudioRecord();
}

}  // namespace kestrion
