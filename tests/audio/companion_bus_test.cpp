// The companion and the tool's end of it on a session bus of the test's own (dbus-run-session):
// a generated sine burst through the capture seam comes back to the tool as levels, loudness
// and band levels, and the tool's messages start, colour and stop the companion.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>

#include <algorithm>

#include "audio/audio_capture.h"
#include "audio/companion.h"
#include "audio/companion_link.h"
#include "audio/level_analysis.h"
#include "ui/qt_app.h"

namespace kestrion::audio {
namespace {

using test::waitFor;

constexpr std::size_t kBlock = LevelAnalyser::kBlockSamples;
constexpr std::size_t kToneIndex = 22;
const double kToneHertz = static_cast<double>(kToneIndex + 1) * LevelAnalyser::kSampleRate / kBlock;

// The tool's object as the companion sees it: takes the blocks and hands them to the link.
class ToolObject : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kestrion.Config1")
public:
    explicit ToolObject(AudioCompanionLink& link) : m_link(link) {}

    struct Received {
        QString sender;
        int id = 0;
        QByteArray block;
    };
    std::vector<Received> received;

public slots:
    Q_SCRIPTABLE Q_NOREPLY void AudioData(int id, const QByteArray& block)
    {
        received.push_back({message().service(), id, block});
        m_link.receive(message().service(), id, block);
    }

private:
    AudioCompanionLink& m_link;
};

std::span<const std::uint8_t> bytesOf(const QByteArray& block)
{
    return {reinterpret_cast<const std::uint8_t*>(block.constData()), static_cast<std::size_t>(block.size())};
}

class CompanionOnBus : public testing::Test {
protected:
    void SetUp() override
    {
        test::ensureQtApp();
        companionBus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("companion"));
        toolBus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("tool"));
        if (!companionBus.isConnected() || !toolBus.isConnected())
            GTEST_SKIP() << "no session bus: the test runs under dbus-run-session";
        link = std::make_unique<AudioCompanionLink>(toolBus);
        tool = std::make_unique<ToolObject>(*link);
        ASSERT_TRUE(toolBus.registerObject(QStringLiteral("/org/kestrion/Config"), tool.get(),
                                           QDBusConnection::ExportScriptableSlots));
        QObject::connect(link.get(), &AudioCompanionLink::levelsArrived, link.get(),
                         [this](const Bands& bands, const Loudness& loudness) {
                             bandBlocks.push_back(bands);
                             loudnesses.push_back(loudness);
                         });
    }

    void TearDown() override
    {
        companion.reset();
        toolBus.unregisterObject(QStringLiteral("/org/kestrion/Config"));
        QDBusConnection::disconnectFromBus(QStringLiteral("companion"));
        QDBusConnection::disconnectFromBus(QStringLiteral("tool"));
    }

    void startCompanion()
    {
        companion = std::make_unique<AudioCompanion>(
            companionBus,
            [] { return std::make_unique<GeneratedCapture>(GeneratedCapture::sineBurst(kToneHertz, kBlock), true); },
            [this](const std::string& error) { failures.push_back(error); });
        ASSERT_TRUE(companion->publish());
    }

    std::vector<Levels> levelBlocks() const
    {
        std::vector<Levels> blocks;
        for (const auto& r : tool->received) {
            if (r.id == kLevelsId)
                blocks.push_back(decodeLevels(bytesOf(r.block)).value());
        }
        return blocks;
    }

    std::optional<Loudness> lastLoudness() const
    {
        for (auto r = tool->received.rbegin(); r != tool->received.rend(); ++r) {
            if (r->id == kLoudnessId)
                return decodeLoudness(bytesOf(r->block));
        }
        return std::nullopt;
    }

    QDBusConnection companionBus{QString()};
    QDBusConnection toolBus{QString()};
    std::unique_ptr<AudioCompanionLink> link;
    std::unique_ptr<ToolObject> tool;
    std::unique_ptr<AudioCompanion> companion;
    std::vector<Bands> bandBlocks;
    std::vector<Loudness> loudnesses;
    std::vector<std::string> failures;
};

TEST_F(CompanionOnBus, NothingIsSentOrReceivedWithoutACompanion)
{
    link->greet();
    QCoreApplication::processEvents();
    EXPECT_FALSE(waitFor([&] { return link->companionFound(); }, 300));
    link->sendStyleColour({3, 0, 7});
    link->farewell();
    EXPECT_TRUE(tool->received.empty());
}

TEST_F(CompanionOnBus, SineBurstComesBackAsLevelsLoudnessAndBands)
{
    startCompanion();
    link->greet();
    ASSERT_TRUE(waitFor([&] { return companion->capturing(); }, 3000));
    // The burst is four blocks long between four silent ones on each side: a whole round of
    // twelve blocks holds silence, the burst and its onset.
    ASSERT_TRUE(waitFor([&] { return levelBlocks().size() >= 14; }, 5000));
    const std::vector<Levels> blocks = levelBlocks();
    const auto loudest = [](const Levels& levels) { return *std::max_element(levels.begin(), levels.end()); };
    const auto burst = std::find_if(blocks.begin(), blocks.end(), [&](const Levels& l) { return loudest(l) > 0; });
    ASSERT_NE(burst, blocks.end());
    EXPECT_EQ(std::max_element(burst->begin(), burst->end()) - burst->begin(), static_cast<long>(kToneIndex));
    EXPECT_NEAR((*burst)[kToneIndex], kFullLevel / 2, kFullLevel / 100);
    EXPECT_TRUE(std::any_of(blocks.begin(), blocks.end(), [&](const Levels& l) { return loudest(l) == 0; }));
    for (const auto& r : tool->received)
        EXPECT_EQ(r.sender, companionBus.baseService());

    // The burst's onset lights the band of the tone, and only that band and its neighbours.
    const std::size_t toneBand = kToneIndex / kLevelsPerBand;
    const auto onset = std::find_if(bandBlocks.begin(), bandBlocks.end(),
                                    [&](const Bands& b) { return b[toneBand] > 0; });
    ASSERT_NE(onset, bandBlocks.end());
    EXPECT_GT((*onset)[toneBand], 20);
    EXPECT_EQ((*onset)[toneBand + 3], 0);
    EXPECT_TRUE(std::any_of(loudnesses.begin(), loudnesses.end(),
                            [](const Loudness& l) { return l.peak > kFullLevel * 45 / 100; }));
    EXPECT_TRUE(failures.empty());
}

TEST_F(CompanionOnBus, ColourValuesAndTheStyleColourReachTheLoudnessBlock)
{
    startCompanion();
    link->greet();
    ASSERT_TRUE(waitFor([&] { return companion->capturing(); }, 3000));
    link->sendColourValue(Message::Red, 200);
    link->sendColourValue(Message::Green, 10);
    link->sendColourValue(Message::Blue, 300);
    ASSERT_TRUE(waitFor([&] { return lastLoudness() && lastLoudness()->colour == Colour{200, 10, 255}; }, 3000));
    link->sendStyleColour({3, 0, 7});  // green 0 goes as 1: a ninth of full
    ASSERT_TRUE(waitFor([&] { return lastLoudness() && lastLoudness()->colour == Colour{85, 28, 198}; }, 3000));
}

TEST_F(CompanionOnBus, AStyleColourSetBeforeTheCompanionCameIsSentWithTheGreeting)
{
    link->sendStyleColour({9, 9, 0});
    link->greet();
    startCompanion();  // appears after the tool looked: the watcher greets it
    ASSERT_TRUE(waitFor([&] { return companion->capturing(); }, 3000));
    EXPECT_TRUE(waitFor([&] { return companion->colour() == Colour{255, 255, 0}; }, 3000));
}

TEST_F(CompanionOnBus, FarewellStopsTheCaptureAndTheBlocks)
{
    startCompanion();
    link->greet();
    ASSERT_TRUE(waitFor([&] { return companion->capturing() && !tool->received.empty(); }, 3000));
    link->farewell();
    ASSERT_TRUE(waitFor([&] { return !companion->capturing(); }, 3000));
    waitFor([] { return false; }, 100);
    const std::size_t count = tool->received.size();
    waitFor([] { return false; }, 200);
    EXPECT_EQ(tool->received.size(), count);
}

TEST_F(CompanionOnBus, BlocksFromAnotherSenderAreIgnored)
{
    startCompanion();
    link->greet();
    ASSERT_TRUE(waitFor([&] { return link->companionFound(); }, 3000));
    link->farewell();
    ASSERT_TRUE(waitFor([&] { return !companion->capturing(); }, 3000));
    const QByteArray loud(2000, '\x7f');
    for (int i = 0; i < 4; ++i)
        link->receive(QStringLiteral(":1.999"), kLevelsId, loud);
    EXPECT_TRUE(bandBlocks.empty());
}

TEST_F(CompanionOnBus, ASecondCompanionCannotTakeTheName)
{
    startCompanion();
    AudioCompanion second(toolBus, [] { return std::unique_ptr<AudioCapture>(); }, [](const std::string&) {});
    EXPECT_FALSE(second.publish());
}

}  // namespace
}  // namespace kestrion::audio

#include "companion_bus_test.moc"
