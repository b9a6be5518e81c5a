#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sstream>
#include <thread>

#include <json/json.h>

#include "devsim/seqpacket_client.h"
#include "devsim/simulator.h"
#include "support/temp_dir.h"

namespace devsim {
namespace {

using test::commandPacket;
using test::SeqpacketClient;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kRead = 0x05, kWrite = 0x06;

Bytes pattern(std::size_t n, std::uint8_t seed)
{
    Bytes bytes(n);
    for (std::size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<std::uint8_t>(seed + i * 13);
    return bytes;
}

// The top-level application collections of a report descriptor as (usage page, usage), read
// here independently of the simulator.
std::vector<std::pair<int, int>> topLevelCollections(const Bytes& descriptor)
{
    std::vector<std::pair<int, int>> found;
    int page = 0, usage = 0, depth = 0;
    for (std::size_t i = 0; i < descriptor.size();) {
        const int size = (descriptor[i] & 3) == 3 ? 4 : descriptor[i] & 3;
        unsigned value = 0;
        for (int b = 0; b < size; ++b)
            value |= static_cast<unsigned>(descriptor[i + 1 + b]) << (8 * b);
        switch (descriptor[i] & 0xFC) {
        case 0x04: page = static_cast<int>(value); break;
        case 0x08: usage = static_cast<int>(value); break;
        case 0xA0:
            if (depth++ == 0 && value == 1)
                found.emplace_back(page, usage);
            break;
        case 0xC0: --depth; break;
        }
        i += 1 + static_cast<std::size_t>(size);
    }
    return found;
}

Json::Value readJson(const std::string& path)
{
    Json::Value root;
    std::istringstream in(kestrion::test::readFile(path));
    EXPECT_TRUE(Json::parseFromStream(Json::CharReaderBuilder(), in, &root, nullptr)) << path;
    return root;
}

Bytes descriptorOf(const Json::Value& root)
{
    Bytes bytes;
    std::istringstream in(root["descriptor"].asString());
    std::string pair;
    while (in >> pair)
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(pair, nullptr, 16)));
    return bytes;
}

bool eventually(const std::function<bool()>& condition)
{
    for (int i = 0; i < 1000 && !condition(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return condition();
}

class SimulatorTest : public testing::Test {
protected:
    std::string folder() const { return dir.path() + "/vhid"; }

    // "vhid:<stem>#..." to <folder>/<stem>.sock
    std::string socketOf(const std::string& hostPath) const
    {
        const std::size_t start = hostPath.find(':') + 1;
        return folder() + "/" + hostPath.substr(start, hostPath.find('#') - start) + ".sock";
    }
    std::string stemFile(const std::string& hostPath, const char* extension) const
    {
        const std::string socket = socketOf(hostPath);
        return socket.substr(0, socket.size() - 5) + extension;
    }

    std::unique_ptr<SeqpacketClient> commandLink(Port port)
    {
        return std::make_unique<SeqpacketClient>(socketOf(sim.commandPath(port)));
    }
    std::unique_ptr<SeqpacketClient> notificationLink(Port port)
    {
        return std::make_unique<SeqpacketClient>(socketOf(sim.notificationPath(port)));
    }

    // Reads or writes length bytes from offset in packets of at most chunk bytes, as a host does.
    Bytes readChunked(SeqpacketClient& link, std::uint8_t code, std::uint16_t offset, std::size_t length,
                      std::size_t chunk)
    {
        Bytes result;
        for (std::size_t done = 0; done < length;) {
            const auto n = static_cast<std::uint8_t>(std::min(chunk, length - done));
            const auto reply = link.transact(commandPacket(code, static_cast<std::uint16_t>(offset + done), n));
            EXPECT_TRUE(reply && (*reply)[3] == code && (*reply)[7] == 0x00);
            if (!reply)
                return result;
            result.insert(result.end(), reply->begin() + 8, reply->begin() + 8 + n);
            done += n;
        }
        return result;
    }
    void writeChunked(SeqpacketClient& link, std::uint8_t code, std::uint16_t offset, const Bytes& data,
                      std::size_t chunk)
    {
        for (std::size_t done = 0; done < data.size();) {
            const std::size_t n = std::min(chunk, data.size() - done);
            const Bytes part(data.begin() + static_cast<std::ptrdiff_t>(done),
                             data.begin() + static_cast<std::ptrdiff_t>(done + n));
            const auto reply = link.transact(commandPacket(code, static_cast<std::uint16_t>(offset + done),
                                                           static_cast<std::uint8_t>(n), part));
            ASSERT_TRUE(reply && (*reply)[3] == code && (*reply)[7] == 0x00) << "chunk at " << offset + done;
            done += n;
        }
    }

    kestrion::test::TempDir dir;
    Simulator sim{folder()};
};

TEST_F(SimulatorTest, PluggingPublishesEachInterfaceAndUnpluggingRemovesIt)
{
    struct Expected {
        Port port;
        bool command;
        int product, interfaceNumber;
        std::size_t collection;  // 1-based; 0: the only one
        std::pair<int, int> usage;
    };
    const std::vector<Expected> interfaces = {
        {Port::Cable, true, 0x22A4, 1, 2, {0xFF1C, 0x92}},   {Port::Cable, false, 0x22A4, 0, 3, {0x000C, 0x01}},
        {Port::Receiver, true, 0x226F, 1, 2, {0xFF1C, 0x92}}, {Port::Receiver, false, 0x226F, 0, 3, {0x000C, 0x01}},
        {Port::Pad, true, 0x1004, 1, 4, {0xFF1C, 0x92}},     {Port::Pad, false, 0x1004, 0, 3, {0x000C, 0x01}},
        {Port::Headset, true, 0x1630, 3, 0, {0x000C, 0x01}},
    };
    for (const Expected& e : interfaces) {
        SCOPED_TRACE(portName(e.port) + std::string(e.command ? " command" : " notification"));
        const std::string path = e.command ? sim.commandPath(e.port) : sim.notificationPath(e.port);
        ASSERT_TRUE(sim.plug(e.port));
        const Json::Value root = readJson(stemFile(path, ".json"));
        EXPECT_EQ(root["product"].asInt(), e.product);
        EXPECT_EQ(root["interface"].asInt(), e.interfaceNumber);
        const auto collections = topLevelCollections(descriptorOf(root));
        if (e.collection == 0) {
            ASSERT_EQ(collections.size(), 1u);
            EXPECT_EQ(collections[0], e.usage);
            EXPECT_EQ(path.find("&col"), std::string::npos);
        } else {
            ASSERT_GT(collections.size(), 1u);
            ASSERT_GE(collections.size(), e.collection);
            EXPECT_EQ(collections[e.collection - 1], e.usage);
            char col[16];
            std::snprintf(col, sizeof col, "&col%02zx", e.collection);
            EXPECT_NE(path.find(col), std::string::npos) << path;
        }
        EXPECT_TRUE(SeqpacketClient(socketOf(path)).connected());

        sim.unplug(e.port);
        EXPECT_FALSE(std::filesystem::exists(socketOf(path)));
        EXPECT_FALSE(std::filesystem::exists(stemFile(path, ".json")));
    }
    EXPECT_TRUE(std::filesystem::is_empty(folder()));
}

TEST_F(SimulatorTest, RequestsAreAnsweredWithEchoAndStatus)
{
    ASSERT_TRUE(sim.plugCable());
    auto link = commandLink(Port::Cable);
    struct Case {
        const char* name;
        Bytes request;
        std::uint8_t status;
    };
    Bytes badChecksum = commandPacket(0x03, 0, 34);
    badChecksum[1] ^= 0x01;
    const std::vector<Case> cases = {
        {"begin", commandPacket(0x01), 0x00},
        {"bad checksum", badChecksum, 0xFF},
        {"ready notice without checksum", commandPacket(0x19, 0, 0, {}, false), 0x00},
        {"length above 56", commandPacket(kRead, 0, 57), 0xFE},
        {"settings past the end", commandPacket(kRead, 1000, 30), 0xFE},
        {"info past the end", commandPacket(0x03, 24, 11), 0xFE},
        {"unknown command", commandPacket(0x7E), 0xFE},
        {"software lighting", commandPacket(0x1C), 0x00},
    };
    for (const Case& c : cases) {
        const auto reply = link->transact(c.request);
        ASSERT_TRUE(reply) << c.name;
        ASSERT_EQ(reply->size(), 64u) << c.name;
        EXPECT_EQ((*reply)[0], 0x04) << c.name;
        EXPECT_EQ((*reply)[3], c.request[3]) << c.name;
        EXPECT_EQ((*reply)[7], c.status) << c.name;
    }
    EXPECT_EQ(sim.readyNotices(), 1);
    EXPECT_TRUE(sim.softwareLightingEnabled());

    // A report that is not a command report gets no answer at all.
    Bytes otherReport = commandPacket(0x01);
    otherReport[0] = 0x06;
    EXPECT_FALSE(link->transact(otherReport, 200));
}

TEST_F(SimulatorTest, ChunkedTransfersAtOddOffsetsReachOneMemoryThroughBothForms)
{
    ASSERT_TRUE(sim.plugCable());
    ASSERT_TRUE(sim.plugReceiver());
    auto wired = commandLink(Port::Cable);
    auto receiver = commandLink(Port::Receiver);

    const Bytes page = pattern(87, 3);
    writeChunked(*receiver, kWrite, 131, page, 24);
    EXPECT_EQ(readChunked(*wired, kRead, 131, 87, 56), page);
    const Bytes stored = sim.settingsPage(1);
    EXPECT_EQ(Bytes(stored.begin() + 3, stored.begin() + 90), page);
    EXPECT_EQ(stored[2], sim.settingsPage(1)[2]);

    // The information block is written in one 34-byte packet through the receiver too.
    Bytes block = readChunked(*receiver, 0x03, 0, 34, 24);
    ASSERT_EQ(block.size(), 34u);
    EXPECT_EQ(block[0], 0xAA);
    EXPECT_EQ(block[1], 0x55);
    EXPECT_EQ(block[7], 0x00);  // a fresh device
    block[7] = 0x15;
    writeChunked(*receiver, 0x04, 0, block, 56);
    EXPECT_EQ(sim.info(), block);

    // The key table holds every default assignment in some slot.
    const Bytes keys = readChunked(*wired, 0x07, 0, block[5] * 3u, 56);
    for (const Bytes& assignment : std::vector<Bytes>{{0x10, 0x01, 0x00}, {0x10, 0x10, 0x00}, {0x14, 0x78, 0x02}}) {
        bool found = false;
        for (std::size_t slot = 0; slot + 3 <= keys.size(); slot += 3)
            found = found || Bytes(keys.begin() + slot, keys.begin() + slot + 3) == assignment;
        EXPECT_TRUE(found);
    }
}

TEST_F(SimulatorTest, ReceiverAnswers0xAAWhileTheMouseIsOff)
{
    ASSERT_TRUE(sim.plugCable());
    ASSERT_TRUE(sim.plugReceiver());
    auto receiver = commandLink(Port::Receiver);
    auto wired = commandLink(Port::Cable);

    auto linked = receiver->transact(commandPacket(0xAA));
    ASSERT_TRUE(linked);
    EXPECT_EQ((*linked)[3], 0xAA);
    EXPECT_EQ((*linked)[7], 0x00);
    EXPECT_EQ((*linked)[8], 0xFF);

    sim.setMouseOn(false);
    auto unlinked = receiver->transact(commandPacket(0xAA));
    ASSERT_TRUE(unlinked);
    EXPECT_EQ((*unlinked)[3], 0xAA);
    EXPECT_NE((*unlinked)[8], 0xFF);
    auto read = receiver->transact(commandPacket(0x03, 0, 24));
    ASSERT_TRUE(read);
    EXPECT_EQ((*read)[3], 0xAA);
    // Over the cable the mouse still answers.
    auto wiredRead = wired->transact(commandPacket(0x03, 0, 24));
    ASSERT_TRUE(wiredRead);
    EXPECT_EQ((*wiredRead)[3], 0x03);

    sim.setMouseOn(true);
    auto again = receiver->transact(commandPacket(0x03, 0, 24));
    ASSERT_TRUE(again);
    EXPECT_EQ((*again)[3], 0x03);
}

TEST_F(SimulatorTest, DpiButtonSelectsTheNextStageAndNotifies)
{
    ASSERT_TRUE(sim.plugCable());
    ASSERT_TRUE(sim.plugReceiver());
    auto wired = notificationLink(Port::Cable);
    auto receiver = notificationLink(Port::Receiver);
    ASSERT_TRUE(eventually([&] { return sim.connections(Port::Cable) == 1 && sim.connections(Port::Receiver) == 1; }));
    // Profile 2 active, stages 0, 3 and 5 enabled, stage 3 active.
    ASSERT_TRUE(sim.writeMemory(Product::Mouse, Area::Settings, 0, {2}));
    for (std::size_t stage = 0; stage < 7; ++stage) {
        const std::uint8_t enabled = stage == 0 || stage == 3 || stage == 5;
        ASSERT_TRUE(sim.writeMemory(Product::Mouse, Area::Settings, 256 + 14 + 9 * stage, {enabled}));
    }
    ASSERT_TRUE(sim.writeMemory(Product::Mouse, Area::Settings, 256 + 12, {3}));

    EXPECT_EQ(sim.pressDpiButton(), 5);
    EXPECT_EQ(sim.settingsPage(2)[12], 5);
    for (SeqpacketClient* link : {wired.get(), receiver.get()}) {
        EXPECT_EQ(link->receive(), (Bytes{'I', 0x03, 0x52, 0x11}));
        EXPECT_EQ(link->receive(), (Bytes{'I', 0x03, 0x01, 0x04}));
    }
    // Wrapping round to the first enabled stage; a switched-off mouse reaches only the cable.
    sim.setMouseOn(false);
    EXPECT_EQ(sim.pressDpiButton(), 0);
    EXPECT_EQ(wired->receive(), (Bytes{'I', 0x03, 0x02, 0x11}));
    EXPECT_EQ(wired->receive(), (Bytes{'I', 0x03, 0x01, 0x04}));
    EXPECT_FALSE(receiver->receive(200));
}

TEST_F(SimulatorTest, ClicksAreAnnouncedOnlyInTheReactiveMode)
{
    ASSERT_TRUE(sim.plugCable());
    auto link = notificationLink(Port::Cable);
    ASSERT_TRUE(eventually([&] { return sim.connections(Port::Cable) == 1; }));
    EXPECT_FALSE(sim.clickButton());
    EXPECT_FALSE(link->receive(200));

    ASSERT_TRUE(sim.writeMemory(Product::Mouse, Area::Settings, 1, {9}));
    EXPECT_TRUE(sim.clickButton());
    EXPECT_EQ(link->receive(), (Bytes{'I', 0x03, 0x03, 0x04}));
}

TEST_F(SimulatorTest, StatusReadShowsBatteryAndPowerState)
{
    ASSERT_TRUE(sim.plugReceiver());
    auto link = commandLink(Port::Receiver);
    sim.setBattery(57);
    auto onBattery = link->transact(commandPacket(0x1A, 0, 2));
    ASSERT_TRUE(onBattery);
    EXPECT_EQ((*onBattery)[8], 57);
    EXPECT_EQ((*onBattery)[9], 2);

    sim.setCharging(true);
    EXPECT_EQ((*link->transact(commandPacket(0x1A, 0, 2)))[9], 1);
    sim.setCharging(false);
    ASSERT_TRUE(sim.plugCable());
    EXPECT_EQ((*link->transact(commandPacket(0x1A, 0, 2)))[9], 0);
}

TEST_F(SimulatorTest, InformationBlockPresetsAndSensors)
{
    ASSERT_TRUE(sim.setSensor(0x3104));
    Bytes block = sim.info();
    EXPECT_EQ(block[9] | block[10] << 8, 0x3104);
    EXPECT_EQ((block[12] | block[13] << 8) - 10, 104);  // slider maximum 104 is 8000 DPI
    EXPECT_FALSE(sim.setSensor(0x1234));

    sim.loadCorruptInfo();
    block = sim.info();
    EXPECT_FALSE(block[0] == 0xAA && block[1] == 0x55);
    sim.loadFreshInfo();
    block = sim.info();
    EXPECT_EQ(block[0], 0xAA);
    EXPECT_EQ(block[1], 0x55);
    EXPECT_EQ(block[7], 0x00);
    EXPECT_GE(block[5], 11);
    EXPECT_EQ(block[9] | block[10] << 8, 0x3104);
}

TEST_F(SimulatorTest, FirmwareVersionChangeReenumeratesTheCable)
{
    ASSERT_TRUE(sim.plugCable());
    const std::string json = stemFile(sim.commandPath(Port::Cable), ".json");
    EXPECT_EQ(readJson(json)["version"].asInt(), 0x0104);
    auto oldLink = commandLink(Port::Cable);

    sim.setFirmwareVersion(0x0103);
    EXPECT_EQ(readJson(json)["version"].asInt(), 0x0103);
    EXPECT_TRUE(oldLink->closedByPeer());
    EXPECT_TRUE(commandLink(Port::Cable)->transact(commandPacket(0x01)));
}

TEST_F(SimulatorTest, MacroAndShootAreasAreCheckedWhenTheTransferEnds)
{
    ASSERT_TRUE(sim.plugCable());
    auto link = commandLink(Port::Cable);
    // Two entries of one pressed and one released key each.
    const Bytes macros = {0xAA, 0x55, 44, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 20, 0, 32, 0,
                          2, 0, 0, 0, 10, 0, 0x8A, 4, 10, 0, 0x0A, 4,
                          2, 0, 0, 0, 5, 0, 0x81, 1, 5, 0, 0x01, 1};
    Bytes wrongTotal = macros;
    wrongTotal[2] = 52;

    EXPECT_EQ(sim.macroCheck().state, ContainerCheck::State::Empty);
    ASSERT_TRUE(link->transact(commandPacket(0x01)));
    writeChunked(*link, 0x15, 0, macros, 24);
    ASSERT_TRUE(link->transact(commandPacket(0x02)));
    EXPECT_EQ(sim.macroCheck().describe(), "valid entries=2 events=2,2");

    writeChunked(*link, 0x17, 0, wrongTotal, 56);
    EXPECT_EQ(sim.shootCheck().state, ContainerCheck::State::Malformed);
    const Bytes shoot = sim.shootArea();
    EXPECT_EQ(Bytes(shoot.begin(), shoot.begin() + 44), wrongTotal);

    // The macro area is as large as byte 6 of the information block says.
    const std::size_t capacity = sim.info()[6] * 128u;
    EXPECT_EQ((*link->transact(commandPacket(0x15, static_cast<std::uint16_t>(capacity - 8), 8)))[7], 0x00);
    EXPECT_EQ((*link->transact(commandPacket(0x15, static_cast<std::uint16_t>(capacity - 8), 9)))[7], 0xFE);
}

TEST_F(SimulatorTest, InjectedFaultsAffectTheNextReplies)
{
    ASSERT_TRUE(sim.plugCable());
    auto link = commandLink(Port::Cable);

    sim.injectFault(FaultKind::Drop, 1);
    EXPECT_FALSE(link->transact(commandPacket(0x01), 300));
    EXPECT_TRUE(link->transact(commandPacket(0x01)));

    sim.injectFault(FaultKind::Corrupt, 2);
    EXPECT_NE((*link->transact(commandPacket(0x01)))[3], 0x01);
    EXPECT_NE((*link->transact(commandPacket(0x02)))[3], 0x02);
    EXPECT_EQ((*link->transact(commandPacket(0x01)))[3], 0x01);

    sim.injectFault(FaultKind::Drop, Simulator::kAll);
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(link->transact(commandPacket(0x01), 100));
    sim.clearFaults();
    EXPECT_TRUE(link->transact(commandPacket(0x01)));

    sim.injectFault(FaultKind::Delay, 1, 800);
    ASSERT_TRUE(link->send('O', commandPacket(0x01)));
    EXPECT_FALSE(link->receive(50));
    EXPECT_TRUE(link->receive(3000));
}

TEST_F(SimulatorTest, UnpluggingDuringADelayedReplyDoesNotWaitItOut)
{
    ASSERT_TRUE(sim.plugCable());
    auto link = commandLink(Port::Cable);
    sim.injectFault(FaultKind::Delay, 1, 600000);
    ASSERT_TRUE(link->send('O', commandPacket(0x01)));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    sim.unplugCable();  // would block for ten minutes if the wait were not cut short
    EXPECT_TRUE(link->closedByPeer());
}

TEST_F(SimulatorTest, PadAndHeadsetServeTheirPages)
{
    ASSERT_TRUE(sim.plug(Port::Pad));
    ASSERT_TRUE(sim.plug(Port::Headset));
    auto pad = commandLink(Port::Pad);
    auto headset = commandLink(Port::Headset);

    const Bytes page = pattern(21, 9);
    writeChunked(*pad, kWrite, 64, page, 56);
    Bytes stored;
    ASSERT_TRUE(sim.readMemory(Product::Pad, Area::Settings, 64, 21, stored));
    EXPECT_EQ(stored, page);
    EXPECT_EQ(readChunked(*pad, kRead, 0, 45, 56).size(), 45u);
    EXPECT_EQ((*pad->transact(commandPacket(0x07, 0, 24)))[7], 0xFE);  // no key table on a pad

    EXPECT_EQ(readChunked(*headset, 0x1A, 0, 6, 56).size(), 6u);
    Bytes light(11, 0);
    light[0] = 0xFF;
    light[1] = 0x22;
    light[2] = 0xAA;
    light[3] = 247;
    ASSERT_TRUE(headset->send('S', light));
    light[1] = 0x44;
    ASSERT_TRUE(headset->send('O', light));
    ASSERT_TRUE(headset->transact(commandPacket(0x01)));  // the reports are handled in order
    const std::vector<HostReport> reports = sim.headsetLightReports();
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].kind, 'S');
    EXPECT_EQ(reports[0].bytes[1], 0x22);
    EXPECT_EQ(reports[1].kind, 'O');
    EXPECT_EQ(reports[1].bytes, light);
}

TEST_F(SimulatorTest, HeadsetKeepsOnlyTheMostRecentLightingReports)
{
    ASSERT_TRUE(sim.plug(Port::Headset));
    auto headset = commandLink(Port::Headset);
    const std::size_t sent = Simulator::kKeptHeadsetReports + 5;
    for (std::size_t i = 0; i < sent; ++i)
        ASSERT_TRUE(
            headset->send('S', {0xFF, 0x22, 0xAA, static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i >> 8)}));
    ASSERT_TRUE(headset->transact(commandPacket(0x01)));

    const std::vector<HostReport> kept = sim.headsetLightReports();
    EXPECT_EQ(sim.headsetLightReportCount(), sent);
    ASSERT_EQ(kept.size(), Simulator::kKeptHeadsetReports);
    EXPECT_EQ(kept.front().bytes[3], 5);
    EXPECT_EQ(kept.back().bytes[3] | kept.back().bytes[4] << 8, static_cast<int>(sent - 1));
}

}  // namespace
}  // namespace devsim
