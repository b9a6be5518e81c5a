// The audio companion in the main window: greeting it, its levels on the mice's previews.
#include "shell/main_window/main_window.h"

#include "audio/companion_link.h"
#include "devices/pages/mouse_device.h"

namespace kestrion {
namespace {

// The window's first timer: the companion is looked for once the window is built.
constexpr int kCompanionGreetMs = 100;

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

}  // namespace kestrion
