// The audio companion in the main window: greeting it, its levels on the mice's previews, and
// the audio light styles it is given.
#include "shell/main_window/main_window.h"

#include <filesystem>

#include "audio/companion_link.h"
#include "devices/mouse_device.h"
#include "profiles/program_folders.h"
#include "ui/music_window.h"

namespace kestrion {
namespace {

// The window's first timer: the companion is looked for once the window is built.
constexpr int kCompanionGreetMs = 100;
constexpr const char* kStylesButton = "music_setting_btn";
constexpr const char* kStylesWriteFailed = "music_styles_write_failed_text";

}  // namespace

void CMainWnd::setAudioCompanion(audio::AudioCompanionLink* link)
{
    m_audio = link;
    if (!m_audio)
        return;
    connect(m_audio, &audio::AudioCompanionLink::levelsArrived, this,
            [this](const audio::Bands& bands, const audio::Loudness& loudness) {
                for (DeviceRecord& record : m_devices) {
                    if (auto* mouse = qobject_cast<CQuellonMouseDevice*>(record.device))
                        mouse->showAudioLevels(bands, loudness);
                }
            });
}

void CMainWnd::greetAudioCompanion()
{
    QTimer::singleShot(kCompanionGreetMs, this, [this] {
        if (m_audio)
            m_audio->greet();
    });
}

void CMainWnd::audioData(const QString& sender, int id, const QByteArray& block)
{
    if (m_audio)
        m_audio->receive(sender, id, block);
}

AudioStyleFile CMainWnd::audioStyleFile() const
{
    const std::string folder = userDataFolder();
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    return AudioStyleFile(folder + "/" + AudioStyleFile::kFileName,
                          programDataDir() + "/" + AudioStyleFile::kFileName);
}

void CMainWnd::loadAudioStyles()
{
    m_audioStyles = audioStyleFile().load();
    sendActiveAudioColour();
    if (QWidget* button = control(QString::fromLatin1(kStylesButton)))
        button->show();
}

void CMainWnd::resetAudioStyles()
{
    m_audioStyles = audioStyleFile().reset();
    sendActiveAudioColour();
}

// The companion is given the colour now if it was greeted, else with its greeting.
void CMainWnd::sendActiveAudioColour()
{
    if (!m_audio)
        return;
    const AudioStyles::Colour& colour = m_audioStyles.activeColour();
    m_audio->sendStyleColour({colour.red, colour.green, colour.blue});
}

void CMainWnd::saveAudioStyles()
{
    AudioStyleFile file = audioStyleFile();
    file.load();
    if (!file.save(m_audioStyles))
        showNotice(QString::fromLatin1(kStylesWriteFailed), std::nullopt);
}

ui::MusicWnd* CMainWnd::audioStyleWindow() const
{
    return m_audioStyleWindow;
}

void CMainWnd::openAudioStyles()
{
    if (m_audioStyleWindow)
        return;
    auto window = std::make_unique<ui::MusicWnd>(m_resources, m_audioStyles, this);
    m_audioStyleWindow = window.get();
    const bool confirmed = window->showModal() == ui::MusicWnd::kConfirmed;
    const AudioStyles edited = window->styles();
    window.reset();
    if (!confirmed)
        return;
    m_audioStyles = edited;
    sendActiveAudioColour();
    saveAudioStyles();
}

}  // namespace kestrion
