// Keys, macros and shoot patterns written to the in-process simulator: real files, sockets and threads.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "device_link/command_channel.h"
#include "devices/mouse_transfer.h"
#include "devsim/simulator.h"
#include "platform/paths.h"
#include "profiles/json_file.h"
#include "profiles/mouse_profile_data.h"
#include "profiles/program_folders.h"
#include "support/request_log.h"
#include "support/simulated_mouse.h"
#include "support/temp_dir.h"

namespace kestrion {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int kBegin = 0x01, kEnd = 0x02, kReadInfo = 0x03, kWriteMacros = 0x15, kWriteShoot = 0x17,
              kLinkQuery = 0xAA;

// Factory assignments of the eleven positions, as a profile stores them.
constexpr std::uint32_t kDefaults[kKeyPositions] = {0x100100, 0x100200, 0x100400, 0x101000, 0x100800, 0x130100,
                                                    0x130200, 0x130300, 0xA01B00, 0x169001, 0x147802};
// Where the simulator keeps each position: 3 and 4 swapped, slot 5 spare.
constexpr std::uint8_t kSimulatorSlots[kKeyPositions] = {0, 1, 2, 4, 3, 6, 7, 8, 9, 10, 11};

std::vector<KeyEntry> factoryKeys()
{
    std::vector<KeyEntry> keys;
    for (std::uint16_t k = 0; k < kKeyPositions; ++k)
        keys.push_back({keyRecordOf(k, kDefaults[k]), keyRecordOf(k, kDefaults[k])});
    return keys;
}

void assign(std::vector<KeyEntry>& keys, std::uint16_t position, std::uint32_t code)
{
    keys[position].current = keyRecordOf(position, code);
}

// Macro m's events carry m as their button and their own index as their delay, so that every
// event on the device tells which macro and which place it came from.
Json::Value numberedEvents(int macro, int count)
{
    Json::Value events(Json::arrayValue);
    for (int i = 0; i < count; ++i) {
        Json::Value event(Json::objectValue);
        event["Action"] = i % 2 ? "up" : "down";
        event["Button"] = macro;
        event["Type"] = 10;
        event["Delay"] = std::to_string(i);
        events.append(event);
    }
    return events;
}

// The events of one entry of a container, read back with the layout written out here on its own.
std::vector<Bytes> entryEvents(const Bytes& area, std::size_t entry)
{
    auto word = [&](std::size_t at) { return static_cast<std::size_t>(area.at(at) | area.at(at + 1) << 8); };
    const std::size_t block = word(16 + 2 * entry);
    std::vector<Bytes> events;
    for (std::size_t i = 0; i < word(block); ++i)
        events.emplace_back(area.begin() + block + 4 + 4 * i, area.begin() + block + 8 + 4 * i);
    return events;
}

Bytes eventBytes(int delay, bool pressed, int type, int button)
{
    return {static_cast<std::uint8_t>(delay), static_cast<std::uint8_t>(delay >> 8),
            static_cast<std::uint8_t>(type | (pressed ? 0x80 : 0)), static_cast<std::uint8_t>(button)};
}

// A factory pattern as the device should get it.
std::vector<Bytes> factoryPattern(int gun)
{
    const Json::Value document = LoadJsonFile(programDataDir() + "/ShootData_" + std::to_string(gun) + ".Shoot");
    std::vector<Bytes> events;
    for (const Json::Value& event : document["Events"])
        events.push_back(eventBytes(event["Delay"].asInt(), event["Action"].asString() == "down",
                                    event["Type"].asInt(), event["Button"].asInt()));
    return events;
}

TEST(FunctionKeyIndex, OnlyTheDeviceSlotsCountAndTheFirstMatchWins)
{
    // Position 0's assignment in slots 2 and 4, position 1's only past the three slots the device has.
    const Bytes table = {0x00, 0x00, 0x00, 0x10, 0x04, 0x00, 0x10, 0x01, 0x00, 0x10, 0x02, 0x00, 0x10, 0x01, 0x00};
    const FunctionKeyIndex index = functionKeyIndex(table.data(), 3);
    FunctionKeyIndex expected;
    expected.fill(kNoSlot);
    expected[0] = 2;
    expected[2] = 1;
    EXPECT_EQ(index, expected);
}

TEST(RememberedKeySlots, APositionMissingFromTheTableTakesItsSlotOnlyWhenItStillHoldsWhatWasWritten)
{
    // Three slots: position 0's factory assignment in slot 0; slot 1 holds {0x70, 0, 0}; slot 2
    // holds position 2's factory assignment.
    const Bytes table = {0x10, 0x01, 0x00, 0x70, 0x00, 0x00, 0x10, 0x04, 0x00};
    struct Case {
        const char* what;
        std::size_t position;
        std::uint8_t slot;
        std::array<std::uint8_t, 3> written;
        std::uint8_t expected;
    };
    const Case cases[] = {
        {"holds what was written", 1, 1, {0x70, 0x00, 0x00}, 1},
        {"holds something else", 1, 1, {0x20, 0x04, 0x00}, kNoSlot},
        {"holds the factory assignment again", 2, 2, {0x70, 0x01, 0x00}, 2},
        {"another position has the slot", 3, 0, {0x10, 0x01, 0x00}, kNoSlot},
        {"past the device's slots", 4, 5, {0x00, 0x00, 0x00}, kNoSlot},
        {"found by its factory assignment already", 0, 1, {0x70, 0x00, 0x00}, 0},
    };
    for (const Case& c : cases) {
        FunctionKeyIndex index = functionKeyIndex(table.data(), 3);
        RememberedKeySlots remembered;
        remembered.slot[c.position] = c.slot;
        remembered.written[c.position] = c.written;
        if (c.position == 2)
            index[2] = kNoSlot;  // as if the table had not shown it
        applyRememberedSlots(index, table.data(), 3, remembered);
        EXPECT_EQ(index[c.position], c.expected) << c.what;
    }
}

class TransferOnSimulator : public testing::Test {
protected:
    void SetUp() override
    {
        sim.setLogSink(requests.sink());
    }

    void attach(devsim::Port port)
    {
        test::attachMouseChannel(sim, channel, port);
        if (HasFatalFailure())
            return;
        ASSERT_EQ(settings.readDeviceData(), kCommandOk);
        clearCommands();
    }

    // A library of `counts.size()` macros, macro m holding counts[m] events.
    void writeLibrary(const std::vector<int>& counts)
    {
        Json::Value index(Json::objectValue);
        Json::Value& info = index["MacroInfo"] = Json::Value(Json::arrayValue);
        for (int m = 0; m < static_cast<int>(counts.size()); ++m) {
            const std::string guid = "2026_01_01_00_00_00_" + std::to_string(100 + m);
            Json::Value entry(Json::objectValue);
            entry["MacroName"] = "macro " + std::to_string(m);
            entry["Guid"] = guid;
            info.append(entry);
            Json::Value document = entry;
            document["Events"] = numberedEvents(m, counts[m]);
            document["Version"] = 64;
            ASSERT_TRUE(SaveJsonFile(document, folder.file(guid + ".mac")));
        }
        ASSERT_TRUE(SaveJsonFile(index, folder.file("macro.config")));
    }

    void setMacroEvents(int macro, const Json::Value& events)
    {
        const std::string path = folder.file("2026_01_01_00_00_00_" + std::to_string(100 + macro) + ".mac");
        Json::Value document = LoadJsonFile(path);
        document["Events"] = events;
        ASSERT_TRUE(SaveJsonFile(document, path));
    }

    void pokeSlot(std::size_t slot, Bytes assignment)
    {
        ASSERT_TRUE(sim.writeMemory(devsim::Product::Mouse, devsim::Area::KeyTable, slot * 3, assignment));
    }

    Bytes slotBytes(std::size_t slot) const
    {
        const Bytes table = sim.keyTable();
        return Bytes(table.begin() + slot * 3, table.begin() + slot * 3 + 3);
    }

    std::vector<int> commands() const { return requests.commands(); }

    void clearCommands() { requests.clear(); }

    bool sent(int code)
    {
        const std::vector<int> all = commands();
        return std::find(all.begin(), all.end(), code) != all.end();
    }

    test::RequestLog requests;  // before the simulator, whose threads log into it
    devsim::Simulator sim{virtualHidDir()};
    CommandChannel channel;
    MouseSettingsLink settings{channel, nullptr};
    test::TempDir folder;
    MouseTransfer transfer{channel, settings, folder.path()};
};

class TransferOnEitherLink : public TransferOnSimulator, public testing::WithParamInterface<devsim::Port> {};

TEST_P(TransferOnEitherLink, SharedMacroIsSentOnceAndKeysReferToTheirPlaceInTheList)
{
    attach(GetParam());
    writeLibrary({1, 1, 2, 1, 1, 3});
    Json::Value first = numberedEvents(5, 3);
    first[0]["Action"] = "down";
    first[0]["Type"] = 1;
    first[0]["Button"] = 4;
    first[0]["Delay"] = "300";
    setMacroEvents(5, first);
    std::vector<KeyEntry> keys = factoryKeys();
    assign(keys, 0, 0x700500);
    assign(keys, 3, 0x710501);
    assign(keys, 1, 0x700200);
    const Bytes tableBefore = sim.keyTable();

    const std::vector<std::uint8_t> macros = transfer.macroAssignments(keys);
    ASSERT_EQ(macros, (std::vector<std::uint8_t>{5, 2}));
    ASSERT_EQ(transfer.writeMacros(macros), kEventsWritten);
    ASSERT_EQ(transfer.writeKeys(0, keys), kCommandOk);

    const devsim::ContainerCheck check = sim.macroCheck();
    EXPECT_EQ(check.state, devsim::ContainerCheck::State::Valid) << check.describe();
    EXPECT_EQ(check.eventsPerEntry, (std::vector<std::size_t>{3, 2}));
    const Bytes area = sim.macroArea();
    const std::vector<Bytes> fifth = entryEvents(area, 0);
    ASSERT_EQ(fifth.size(), 3u);
    EXPECT_EQ(fifth[0], (Bytes{0x2C, 0x01, 0x81, 0x04}));
    EXPECT_EQ(fifth[2], eventBytes(2, true, 10, 5));
    EXPECT_EQ(entryEvents(area, 1), (std::vector<Bytes>{eventBytes(0, true, 10, 2), eventBytes(1, false, 10, 2)}));

    Bytes expected = tableBefore;
    const auto put = [&](std::size_t slot, Bytes assignment) {
        std::copy(assignment.begin(), assignment.end(), expected.begin() + slot * 3);
    };
    put(kSimulatorSlots[0], {0x70, 0x00, 0x00});
    put(kSimulatorSlots[1], {0x70, 0x01, 0x00});
    put(kSimulatorSlots[3], {0x71, 0x00, 0x01});
    EXPECT_EQ(sim.keyTable(), expected);
}

INSTANTIATE_TEST_SUITE_P(Links, TransferOnEitherLink, testing::Values(devsim::Port::Cable, devsim::Port::Receiver),
                         [](const testing::TestParamInfo<devsim::Port>& info) { return devsim::portName(info.param); });

TEST_F(TransferOnSimulator, FactoryIndexFollowsTheDeviceTableNotTheSlotOrder)
{
    attach(devsim::Port::Cable);
    const FunctionKeyIndex index = transfer.functionKeyIndex();
    EXPECT_TRUE(std::equal(index.begin(), index.end(), std::begin(kSimulatorSlots)));

    pokeSlot(4, {0x10, 0x20, 0x00});
    ASSERT_EQ(settings.readDeviceData(), kCommandOk);
    EXPECT_EQ(transfer.functionKeyIndex()[3], kNoSlot);
}

TEST_F(TransferOnSimulator, PositionWithoutItsFactorySlotIsNotWritten)
{
    pokeSlot(4, {0x10, 0x20, 0x00});
    attach(devsim::Port::Cable);
    std::vector<KeyEntry> keys = factoryKeys();
    for (std::uint16_t k = 0; k < kKeyPositions; ++k)
        assign(keys, k, 0x100400);
    const Bytes before = sim.keyTable();

    ASSERT_EQ(transfer.writeKeys(0, keys), kCommandOk);

    EXPECT_EQ(slotBytes(4), (Bytes{0x10, 0x20, 0x00}));
    for (std::uint16_t k = 0; k < kKeyPositions; ++k) {
        if (k != 3) {
            EXPECT_EQ(slotBytes(kSimulatorSlots[k]), (Bytes{0x10, 0x04, 0x00})) << k;
        }
    }
    EXPECT_EQ(slotBytes(5), Bytes(before.begin() + 15, before.begin() + 18));
}

// A position that cannot be written still owns its place in the macro list, or every later macro key
// would play its neighbour's macro.
TEST_F(TransferOnSimulator, MacroNumbersFollowTheMacroListWhenAPositionHasNoSlot)
{
    pokeSlot(0, {0x00, 0x00, 0x00});
    attach(devsim::Port::Cable);
    writeLibrary({1, 1, 1, 1, 1, 1});
    std::vector<KeyEntry> keys = factoryKeys();
    assign(keys, 0, 0x700500);
    assign(keys, 1, 0x700200);

    const std::vector<std::uint8_t> macros = transfer.macroAssignments(keys);
    ASSERT_EQ(macros, (std::vector<std::uint8_t>{5, 2}));
    ASSERT_EQ(transfer.writeMacros(macros), kEventsWritten);
    ASSERT_EQ(transfer.writeKeys(0, keys), kCommandOk);

    EXPECT_EQ(slotBytes(0), (Bytes{0x00, 0x00, 0x00}));
    EXPECT_EQ(slotBytes(kSimulatorSlots[1]), (Bytes{0x70, 0x01, 0x00}));
    EXPECT_EQ(entryEvents(sim.macroArea(), 1), (std::vector<Bytes>{eventBytes(0, true, 10, 2)}));
}

TEST_F(TransferOnSimulator, KeyWhoseMacroLeftTheLibraryIsWrittenAsItsDefault)
{
    attach(devsim::Port::Cable);
    writeLibrary({2, 2, 2});
    std::vector<KeyEntry> keys = factoryKeys();
    assign(keys, 0, 0x700100);
    assign(keys, 2, 0x710700);
    assign(keys, 4, 0x700300);

    const std::vector<std::uint8_t> macros = transfer.macroAssignments(keys);
    EXPECT_EQ(macros, (std::vector<std::uint8_t>{1}));
    ASSERT_EQ(transfer.writeMacros(macros), kEventsWritten);
    ASSERT_EQ(transfer.writeKeys(0, keys), kCommandOk);

    EXPECT_EQ(slotBytes(kSimulatorSlots[0]), (Bytes{0x70, 0x00, 0x00}));
    EXPECT_EQ(slotBytes(kSimulatorSlots[2]), (Bytes{0x10, 0x04, 0x00}));
    EXPECT_EQ(slotBytes(kSimulatorSlots[4]), (Bytes{0x10, 0x08, 0x00}));
    EXPECT_EQ(sim.macroCheck().eventsPerEntry, (std::vector<std::size_t>{2}));
}

TEST_F(TransferOnSimulator, StaleMacroKeysOfTheRecordTakeTheirDefaults)
{
    writeLibrary({1, 1, 1});
    Json::Value list(Json::arrayValue);
    for (std::uint32_t code : {0x700100u, 0x710700u, 0x100400u, 0x700300u}) {
        Json::Value key(Json::objectValue);
        key["Assignment"] = code;
        key["DefaultAssignment"] = 0x130100;
        list.append(key);
    }
    Json::Value document(Json::objectValue);
    document["Device"][0]["KeyList"] = list;
    const std::string path = folder.file("profile.Json");
    ASSERT_TRUE(SaveJsonFile(document, path));
    CMouseProfiledata record;
    record.SetProfilePath(path);
    record.LoadProfile(path);

    EXPECT_TRUE(transfer.dropStaleMacroKeys(record));

    std::vector<std::uint32_t> codes;
    for (const KeyEntry& entry : record.GetKeyList())
        codes.push_back(keyCodeOf(entry.current));
    EXPECT_EQ(codes, (std::vector<std::uint32_t>{0x700100, 0x130100, 0x100400, 0x130100}));
    EXPECT_FALSE(transfer.dropStaleMacroKeys(record));
}

TEST_F(TransferOnSimulator, MacroOfMoreThanSixtyEventsIsRefusedWhole)
{
    attach(devsim::Port::Cable);
    writeLibrary({60, 61});
    const Bytes before = sim.macroArea();

    EXPECT_EQ(transfer.writeMacros({0, 1}), 61);
    EXPECT_EQ(sim.macroArea(), before);
    EXPECT_FALSE(sent(kWriteMacros));

    EXPECT_EQ(transfer.writeMacros({0}), kEventsWritten);
    EXPECT_EQ(sim.macroCheck().eventsPerEntry, (std::vector<std::size_t>{60}));
}

TEST_F(TransferOnSimulator, ContainerLargerThanTheAreaReportsTheExcessInEvents)
{
    attach(devsim::Port::Cable);
    // The area is read again before every write: one block of 128 bytes.
    ASSERT_TRUE(sim.writeMemory(devsim::Product::Mouse, devsim::Area::Info, 6, {1}));
    struct Case {
        std::vector<int> counts;
        int result;
    };
    const Case cases[] = {
        {{15, 15}, 6},  // 16 + 12 + 120 = 148 bytes: 20 too many
        {{27}, 1},      // 130 bytes: 2 too many still costs a whole event
        {{26}, kEventsWritten},  // 126 bytes fit
    };
    for (const Case& c : cases) {
        writeLibrary(c.counts);
        const Bytes before = sim.macroArea();
        std::vector<std::uint8_t> macros;
        for (std::size_t m = 0; m < c.counts.size(); ++m)
            macros.push_back(static_cast<std::uint8_t>(m));
        clearCommands();
        EXPECT_EQ(transfer.writeMacros(macros), c.result) << c.counts.size();
        EXPECT_EQ(sent(kWriteMacros), c.result == kEventsWritten);
        if (c.result != kEventsWritten) {
            EXPECT_EQ(sim.macroArea(), before);
        }
    }
    EXPECT_EQ(sim.macroCheck().eventsPerEntry, (std::vector<std::size_t>{26}));
}

TEST_F(TransferOnSimulator, MissingMacroFileKeepsItsPlaceAsAnEmptyEntry)
{
    attach(devsim::Port::Cable);
    writeLibrary({2, 3});
    std::filesystem::remove(folder.file("2026_01_01_00_00_00_100.mac"));

    ASSERT_EQ(transfer.writeMacros({0, 1}), kEventsWritten);
    const devsim::ContainerCheck check = sim.macroCheck();
    EXPECT_EQ(check.state, devsim::ContainerCheck::State::Valid) << check.describe();
    EXPECT_EQ(check.eventsPerEntry, (std::vector<std::size_t>{0, 3}));
}

TEST_F(TransferOnSimulator, ShootPatternsAreSentInGunOrderWithFactoryCopiesForUnreadableFiles)
{
    setProgramDataDir(std::string(KESTRION_SOURCE_ROOT) + "/DefaultData");
    attach(devsim::Port::Cable);
    for (int gun = 0; gun < 2; ++gun) {
        const std::string name = "ShootData_" + std::to_string(gun) + ".Shoot";
        std::filesystem::copy_file(programDataDir() + "/" + name, folder.file(name));
    }
    Json::Value pattern(Json::objectValue);
    pattern["Events"] = numberedEvents(9, 6);
    pattern["Events"][3]["Delay"] = 90;
    pattern["Kept"] = true;
    ASSERT_TRUE(SaveJsonFile(pattern, folder.file("ShootData_2.Shoot")));
    test::writeFile(folder.file("ShootData_3.Shoot"), "{ damaged");

    ASSERT_EQ(transfer.writeShoot(), kEventsWritten);

    const devsim::ContainerCheck check = sim.shootCheck();
    EXPECT_EQ(check.state, devsim::ContainerCheck::State::Valid) << check.describe();
    EXPECT_EQ(check.eventsPerEntry, (std::vector<std::size_t>{180, 180, 6, 180}));
    const std::vector<Bytes> third = entryEvents(sim.shootArea(), 2);
    ASSERT_EQ(third.size(), 6u);
    EXPECT_EQ(third[3], eventBytes(90, false, 10, 9));
    EXPECT_EQ(entryEvents(sim.shootArea(), 0), factoryPattern(0));
    EXPECT_EQ(entryEvents(sim.shootArea(), 3), factoryPattern(3));
    // 4 entries of 546 events in all: 2224 bytes in packets of 56.
    const std::vector<int> sentCodes = commands();
    EXPECT_EQ(sentCodes.front(), kBegin);
    EXPECT_EQ(sentCodes.back(), kEnd);
    EXPECT_EQ(std::count(sentCodes.begin(), sentCodes.end(), kWriteShoot), (2224 + 55) / 56);
}

TEST_F(TransferOnSimulator, UnreachableMouseGetsNothingWritten)
{
    struct Case {
        const char* name;
        bool receiverMouseOff;
    };
    for (const Case c : {Case{"closed channel", false}, Case{"mouse off behind the receiver", true}}) {
        SCOPED_TRACE(c.name);
        if (c.receiverMouseOff) {
            attach(devsim::Port::Receiver);
            sim.setMouseOn(false);
        }
        writeLibrary({2});
        std::vector<KeyEntry> keys = factoryKeys();
        assign(keys, 0, 0x700000);
        const Bytes keysBefore = sim.keyTable(), macrosBefore = sim.macroArea(), shootBefore = sim.shootArea();
        clearCommands();

        EXPECT_EQ(transfer.writeKeys(0, keys), kCommandReadFailed);
        EXPECT_EQ(transfer.writeMacros({0}), kEventsLinkFailed);
        EXPECT_EQ(transfer.writeShoot(), kEventsLinkFailed);

        EXPECT_EQ(sim.keyTable(), keysBefore);
        EXPECT_EQ(sim.macroArea(), macrosBefore);
        EXPECT_EQ(sim.shootArea(), shootBefore);
        for (const int code : commands())
            EXPECT_EQ(code, kLinkQuery);
    }
}

// A failed write is reported, and the device is still taken out of its configuration state.
TEST_F(TransferOnSimulator, RefusedWritesAreReportedAndTheConfigurationEnded)
{
    setProgramDataDir(std::string(KESTRION_SOURCE_ROOT) + "/DefaultData");
    attach(devsim::Port::Cable);

    EXPECT_EQ(transfer.writeKeys(1, factoryKeys()), kCommandBadKeyPage);
    EXPECT_EQ(commands(), (std::vector<int>{kBegin, kReadInfo, kEnd, kBegin, kEnd}));

    // Four patterns of 300 events (4840 bytes) run past the simulator's 4096-byte shoot area.
    for (int gun = 0; gun < MouseTransfer::kShootPatterns; ++gun) {
        Json::Value pattern(Json::objectValue);
        pattern["Events"] = numberedEvents(1, 300);
        ASSERT_TRUE(SaveJsonFile(pattern, folder.file("ShootData_" + std::to_string(gun) + ".Shoot")));
    }
    clearCommands();
    EXPECT_EQ(transfer.writeShoot(), kEventsLinkFailed);
    EXPECT_EQ(commands().back(), kEnd);
}

}  // namespace
}  // namespace kestrion
