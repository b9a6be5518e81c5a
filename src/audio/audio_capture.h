#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace kestrion::audio {

// Where the companion's sound comes from: mono float samples at 44.1 kHz, one block per read.
// The companion opens it on start and closes it on stop, from its capture thread only.
class AudioCapture {
public:
    virtual ~AudioCapture() = default;
    // False with a reason when the sound cannot be captured.
    virtual bool open(std::string& error) = 0;
    // Fills the block; blocks for as long as the sound takes to arrive. False with a reason when
    // the stream broke (it is then closed).
    virtual bool read(std::span<float> block, std::string& error) = 0;
    virtual void close() = 0;
};

// The monitor of the default sound output, through the sound server's simple capture API
// (PulseAudio, or PipeWire's PulseAudio service).
std::unique_ptr<AudioCapture> makeOutputMonitorCapture();

// A generated sound: a list of tones played in turn and then again from the start. Paced, a read
// returns when the block would have been heard; unpaced, at once.
class GeneratedCapture : public AudioCapture {
public:
    struct Tone {
        double hertz = 0.0;      // 0: silence
        float amplitude = 0.0F;  // 0 to 1
        std::size_t samples = 0;
    };

    GeneratedCapture(std::vector<Tone> tones, bool paced);

    // Silence, a burst of the tone at half scale, silence: four blocks each.
    static std::vector<Tone> sineBurst(double hertz, std::size_t blockSamples);
    // A beat of low and high notes with pauses, for trying the light without a sound server.
    static std::vector<Tone> music(std::size_t blockSamples);

    bool open(std::string& error) override;
    bool read(std::span<float> block, std::string& error) override;
    void close() override;

private:
    float nextSample();

    std::vector<Tone> m_tones;
    bool m_paced;
    std::size_t m_tone = 0;
    std::size_t m_sampleInTone = 0;
    double m_phase = 0.0;
    std::chrono::steady_clock::time_point m_due;
};

}  // namespace kestrion::audio
