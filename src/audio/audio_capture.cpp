#include "audio/audio_capture.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <cmath>
#include <numbers>
#include <thread>

#include "audio/level_analysis.h"

namespace kestrion::audio {
namespace {

constexpr const char* kClientName = "kestrion-audio";
constexpr const char* kStreamName = "music light";
// The sound server's name for the monitor of whatever output is the default one.
constexpr const char* kDefaultMonitor = "@DEFAULT_MONITOR@";

class OutputMonitorCapture : public AudioCapture {
public:
    ~OutputMonitorCapture() override { close(); }

    bool open(std::string& error) override
    {
        close();
        pa_sample_spec format{};
        format.format = PA_SAMPLE_FLOAT32NE;
        format.rate = LevelAnalyser::kSampleRate;
        format.channels = 1;
        // Small fragments: the light follows the sound within one block.
        pa_buffer_attr attributes{};
        attributes.maxlength = static_cast<std::uint32_t>(-1);
        attributes.fragsize = static_cast<std::uint32_t>(LevelAnalyser::kBlockSamples * sizeof(float));
        int code = 0;
        m_stream = pa_simple_new(nullptr, kClientName, PA_STREAM_RECORD, kDefaultMonitor, kStreamName, &format,
                                 nullptr, &attributes, &code);
        if (!m_stream)
            error = pa_strerror(code);
        return m_stream != nullptr;
    }

    bool read(std::span<float> block, std::string& error) override
    {
        int code = 0;
        if (m_stream && pa_simple_read(m_stream, block.data(), block.size_bytes(), &code) == 0)
            return true;
        error = m_stream ? pa_strerror(code) : "not open";
        close();
        return false;
    }

    void close() override
    {
        if (m_stream)
            pa_simple_free(m_stream);
        m_stream = nullptr;
    }

private:
    pa_simple* m_stream = nullptr;
};

}  // namespace

std::unique_ptr<AudioCapture> makeOutputMonitorCapture()
{
    return std::make_unique<OutputMonitorCapture>();
}

GeneratedCapture::GeneratedCapture(std::vector<Tone> tones, bool paced) : m_tones(std::move(tones)), m_paced(paced)
{
}

std::vector<GeneratedCapture::Tone> GeneratedCapture::sineBurst(double hertz, std::size_t blockSamples)
{
    return {{0.0, 0.0F, 4 * blockSamples}, {hertz, 0.5F, 4 * blockSamples}, {0.0, 0.0F, 4 * blockSamples}};
}

std::vector<GeneratedCapture::Tone> GeneratedCapture::music(std::size_t blockSamples)
{
    return {{110.0, 0.8F, 6 * blockSamples},  {0.0, 0.0F, 4 * blockSamples}, {880.0, 0.4F, 3 * blockSamples},
            {0.0, 0.0F, 3 * blockSamples},    {220.0, 0.7F, 6 * blockSamples}, {0.0, 0.0F, 4 * blockSamples},
            {3520.0, 0.3F, 2 * blockSamples}, {0.0, 0.0F, 4 * blockSamples}};
}

bool GeneratedCapture::open(std::string& error)
{
    if (m_tones.empty()) {
        error = "no tones to play";
        return false;
    }
    m_tone = 0;
    m_sampleInTone = 0;
    m_phase = 0.0;
    m_due = std::chrono::steady_clock::now();
    return true;
}

bool GeneratedCapture::read(std::span<float> block, std::string&)
{
    for (float& sample : block)
        sample = nextSample();
    if (m_paced) {
        m_due += std::chrono::microseconds(block.size() * 1000000 / LevelAnalyser::kSampleRate);
        std::this_thread::sleep_until(m_due);
    }
    return true;
}

void GeneratedCapture::close()
{
}

float GeneratedCapture::nextSample()
{
    const Tone& tone = m_tones[m_tone];
    const float sample = tone.amplitude * static_cast<float>(std::sin(m_phase));
    m_phase += 2.0 * std::numbers::pi * tone.hertz / LevelAnalyser::kSampleRate;
    if (++m_sampleInTone >= tone.samples) {
        m_sampleInTone = 0;
        m_tone = (m_tone + 1) % m_tones.size();
    }
    return sample;
}

}  // namespace kestrion::audio
