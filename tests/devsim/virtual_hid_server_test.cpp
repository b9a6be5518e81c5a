#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

#include <json/json.h>

#include "devsim/seqpacket_client.h"
#include "devsim/virtual_hid_server.h"
#include "support/temp_dir.h"

namespace devsim {
namespace {

using test::SeqpacketClient;
using Report = std::vector<std::uint8_t>;

bool waitFor(const std::function<bool()>& condition)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// Records what the interface hands over and answers every report with its bytes reversed.
class VirtualHidInterfaceTest : public testing::Test {
protected:
    VirtualHidInterfaceTest()
        : iface(folder(), "mouse-if1", {0x320F, 0x22A4, 0x0104, 1, {0x06, 0x1C, 0xFF, 0x09, 0x92}},
                [this](char kind, const Report& report) { onReport(kind, report); })
    {
    }

    std::string folder() const { return dir.path() + "/vhid"; }

    void onReport(char kind, const Report& report)
    {
        {
            std::lock_guard lock(mutex);
            received.emplace_back(kind, report);
        }
        iface.sendInput(Report(report.rbegin(), report.rend()));
    }

    std::vector<std::pair<char, Report>> receivedSoFar()
    {
        std::lock_guard lock(mutex);
        return received;
    }

    kestrion::test::TempDir dir;
    std::mutex mutex;
    std::vector<std::pair<char, Report>> received;
    VirtualHidInterface iface;
};

TEST_F(VirtualHidInterfaceTest, PublishWritesIdentityBesideAListeningSocket)
{
    ASSERT_TRUE(iface.publish());
    EXPECT_TRUE(std::filesystem::is_socket(folder() + "/mouse-if1.sock"));

    Json::Value root;
    std::istringstream in(kestrion::test::readFile(folder() + "/mouse-if1.json"));
    ASSERT_TRUE(Json::parseFromStream(Json::CharReaderBuilder(), in, &root, nullptr));
    EXPECT_EQ(root["vendor"].asInt(), 0x320F);
    EXPECT_EQ(root["product"].asInt(), 8868);
    EXPECT_EQ(root["version"].asInt(), 260);
    EXPECT_EQ(root["interface"].asInt(), 1);
    EXPECT_EQ(root["descriptor"].asString(), "06 1C FF 09 92");
    // Nothing but the two files: the temporary json is gone.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder()), {}), 2);

    SeqpacketClient client(iface.socketPath());
    EXPECT_TRUE(client.connected());
}

TEST_F(VirtualHidInterfaceTest, ReportsTravelBothWaysOnEveryConnection)
{
    ASSERT_TRUE(iface.publish());
    SeqpacketClient first(iface.socketPath());
    SeqpacketClient second(iface.socketPath());
    ASSERT_TRUE(waitFor([&] { return iface.connectionCount() == 2; }));

    ASSERT_TRUE(first.send('O', {0x04, 0x01, 0x02}));
    ASSERT_TRUE(second.send('S', {0x06, 0x09}));
    for (SeqpacketClient* client : {&first, &second}) {
        auto one = client->receive();
        auto two = client->receive();
        ASSERT_TRUE(one && two);
        EXPECT_EQ(*one, (Report{'I', 0x02, 0x01, 0x04}));
        EXPECT_EQ(*two, (Report{'I', 0x09, 0x06}));
    }
    EXPECT_EQ(receivedSoFar(), (std::vector<std::pair<char, Report>>{{'O', {0x04, 0x01, 0x02}},
                                                                     {'S', {0x06, 0x09}}}));
}

TEST_F(VirtualHidInterfaceTest, DatagramsWithoutAHostKindAreIgnored)
{
    ASSERT_TRUE(iface.publish());
    SeqpacketClient client(iface.socketPath());
    ASSERT_TRUE(client.sendRaw({'I', 0x04, 0x01}));
    ASSERT_TRUE(client.sendRaw({'X', 0x04}));
    ASSERT_TRUE(client.sendRaw({}));
    ASSERT_TRUE(client.send('O', {0x04, 0x07}));

    auto answer = client.receive();
    ASSERT_TRUE(answer);
    EXPECT_EQ(*answer, (Report{'I', 0x07, 0x04}));
    EXPECT_EQ(receivedSoFar().size(), 1u);
    EXPECT_EQ(iface.connectionCount(), 1u);
}

TEST_F(VirtualHidInterfaceTest, ClosedConnectionsAreForgotten)
{
    ASSERT_TRUE(iface.publish());
    {
        SeqpacketClient client(iface.socketPath());
        ASSERT_TRUE(waitFor([&] { return iface.connectionCount() == 1; }));
    }
    EXPECT_TRUE(waitFor([&] { return iface.connectionCount() == 0; }));
}

TEST_F(VirtualHidInterfaceTest, UnpublishRemovesFilesAndHangsUpOnHosts)
{
    ASSERT_TRUE(iface.publish());
    SeqpacketClient client(iface.socketPath());
    ASSERT_TRUE(waitFor([&] { return iface.connectionCount() == 1; }));

    iface.unpublish();
    EXPECT_FALSE(std::filesystem::exists(folder() + "/mouse-if1.sock"));
    EXPECT_FALSE(std::filesystem::exists(folder() + "/mouse-if1.json"));
    EXPECT_TRUE(client.closedByPeer());
    EXPECT_EQ(iface.connectionCount(), 0u);
    EXPECT_FALSE(SeqpacketClient(iface.socketPath()).connected());

    // Published again, it serves as before.
    ASSERT_TRUE(iface.publish());
    SeqpacketClient again(iface.socketPath());
    ASSERT_TRUE(again.send('O', {0x04, 0x05}));
    EXPECT_TRUE(again.receive());
}

TEST_F(VirtualHidInterfaceTest, PublishReplacesFilesLeftByACrashedRun)
{
    std::filesystem::create_directories(folder());
    kestrion::test::writeFile(folder() + "/mouse-if1.sock", "stale");
    kestrion::test::writeFile(folder() + "/mouse-if1.json", "{\"vendor\": 1}");
    ASSERT_TRUE(iface.publish());
    SeqpacketClient client(iface.socketPath());
    ASSERT_TRUE(client.send('O', {0x04, 0x01}));
    EXPECT_TRUE(client.receive());
    EXPECT_NE(kestrion::test::readFile(iface.jsonPath()).find("\"product\":8868"), std::string::npos);
}

TEST_F(VirtualHidInterfaceTest, PublishFailsWhenTheFolderCannotBeMade)
{
    kestrion::test::writeFile(dir.file("plain-file"), "x");
    VirtualHidInterface blocked(dir.file("plain-file") + "/sub", "x", {}, nullptr);
    EXPECT_FALSE(blocked.publish());
    EXPECT_FALSE(blocked.isPublished());
}

}  // namespace
}  // namespace devsim
