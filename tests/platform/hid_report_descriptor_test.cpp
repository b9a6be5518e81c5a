#include <gtest/gtest.h>

#include <random>

#include "platform/hid/report_descriptor.h"
#include "support/temp_dir.h"

namespace kestrion {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes stored(const std::string& name)
{
    const std::string bytes = test::readFile(std::string(KESTRION_TEST_DATA) + "/descriptors/" + name);
    return {bytes.begin(), bytes.end()};
}

struct ExpectedCollection {
    std::uint16_t usagePage;
    std::uint16_t usage;
    Bytes reportIds;
    std::uint16_t input;
    std::uint16_t output;
    std::uint16_t feature;
};

struct DescriptorCase {
    const char* file;
    std::vector<ExpectedCollection> collections;
};

class StoredDescriptors : public testing::TestWithParam<DescriptorCase> {};

TEST_P(StoredDescriptors, TopLevelCollectionsAndReportLengths)
{
    const DescriptorCase& c = GetParam();
    const Bytes bytes = stored(c.file);
    ASSERT_FALSE(bytes.empty()) << c.file;
    const std::vector<HidCollectionInfo> found = parseReportDescriptor(bytes);
    ASSERT_EQ(found.size(), c.collections.size());
    for (std::size_t i = 0; i < found.size(); ++i) {
        SCOPED_TRACE(i);
        const ExpectedCollection& e = c.collections[i];
        EXPECT_EQ(found[i].usagePage, e.usagePage);
        EXPECT_EQ(found[i].usage, e.usage);
        EXPECT_EQ(found[i].reportIds, e.reportIds);
        EXPECT_EQ(found[i].inputReportLength, e.input);
        EXPECT_EQ(found[i].outputReportLength, e.output);
        EXPECT_EQ(found[i].featureReportLength, e.feature);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Real, StoredDescriptors,
    testing::Values(
        DescriptorCase{"ite-keyboard-06cb-2968.bin",
                       {{0xFF85, 0x95, {0x5A}, 0, 0, 17},
                        {0x0001, 0x06, {0x01}, 9, 2, 0},
                        {0x000C, 0x01, {0x02}, 3, 0, 0},
                        {0x0001, 0x0C, {0x03}, 2, 0, 0},
                        {0x0088, 0x01, {0x04}, 3, 0, 0},
                        {0x0001, 0x80, {0x05}, 2, 0, 0}}},
        DescriptorCase{"mi-dongle-2717-003b.bin", {{0x0001, 0x02, {1, 2}, 4, 0, 0}, {0x000C, 0x01, {3}, 2, 0, 0}}},
        DescriptorCase{"ms-transceiver-045e-07a5-if1.bin",
                       {{0x0001, 0x02, {0x12, 0x1A}, 10, 0, 2}, {0x000C, 0x01, {0x17, 0x1F}, 3, 0, 2}}},
        // Unnumbered: the length still counts the (zero) report id byte.
        DescriptorCase{"wheel-mouse.bin", {{0x0001, 0x02, {}, 5, 0, 0}}},
        DescriptorCase{"kestrion-mouse-if0.bin",
                       {{0x0001, 0x02, {1}, 8, 0, 0}, {0x0001, 0x80, {2}, 2, 0, 0}, {0x000C, 0x01, {3}, 3, 0, 0}}},
        DescriptorCase{"kestrion-mouse-if1.bin", {{0x0001, 0x06, {1}, 9, 2, 0}, {0xFF1C, 0x92, {4}, 64, 64, 0}}}));

TEST(ReportDescriptor, InputFieldsCarryLayoutForDecoding)
{
    const std::vector<HidCollectionInfo> mi = parseReportDescriptor(stored("mi-dongle-2717-003b.bin"));
    ASSERT_EQ(mi.size(), 2u);
    // Report 2: X and Y as 12-bit signed values, one field with a two-usage list.
    const auto& values = mi[0].inputValues;
    const auto xy = std::find_if(values.begin(), values.end(), [](const HidInputField& f) { return f.reportId == 2; });
    ASSERT_NE(xy, values.end());
    EXPECT_EQ(xy->usagePage, 0x0001);
    EXPECT_EQ(xy->usages, (std::vector<std::uint16_t>{0x30, 0x31}));
    EXPECT_EQ(xy->bitOffset, 0u);
    EXPECT_EQ(xy->bitSize, 12u);
    EXPECT_EQ(xy->count, 2u);
    EXPECT_EQ(xy->logicalMin, -2047);
    EXPECT_EQ(xy->logicalMax, 2047);
    // Report 1: five buttons as a range, the wheel after the padding at bit 8.
    const auto& buttons = mi[0].inputButtons;
    ASSERT_EQ(buttons.size(), 1u);
    EXPECT_TRUE(buttons[0].isRange);
    EXPECT_EQ(buttons[0].usagePage, 0x0009);
    EXPECT_EQ(buttons[0].usageMin, 1);
    EXPECT_EQ(buttons[0].usageMax, 5);
    EXPECT_EQ(values[0].usageAt(0), 0x38);
    EXPECT_EQ(values[0].bitOffset, 8u);
    // Extended usage: AC Pan on the consumer page inside the mouse collection.
    EXPECT_EQ(values[1].usagePage, 0x000C);
    EXPECT_EQ(values[1].usageAt(0), 0x238);

    const std::vector<HidCollectionInfo> ite = parseReportDescriptor(stored("ite-keyboard-06cb-2968.bin"));
    ASSERT_EQ(ite.size(), 6u);
    ASSERT_EQ(ite[2].inputButtons.size(), 1u);
    const HidInputField& consumer = ite[2].inputButtons[0];
    EXPECT_TRUE(consumer.isArray);
    EXPECT_EQ(consumer.usageMax, 0x23C);
    EXPECT_EQ(consumer.bitSize, 16u);
}

TEST(ReportDescriptor, MalformedInputIsHandled)
{
    struct Case {
        const char* name;
        Bytes bytes;
        std::size_t collections;
        std::uint16_t inputLength;
    };
    const Bytes openApplication = {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x75, 0x08, 0x95, 0x04, 0x81, 0x02};
    Bytes deepNesting = {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01};
    for (int i = 0; i < 5000; ++i)
        deepNesting.insert(deepNesting.end(), {0xA1, 0x00});
    Bytes pushes;
    for (int i = 0; i < 1000; ++i)
        pushes.push_back(0xA4);
    const Case cases[] = {
        {"empty", {}, 0, 0},
        {"truncated item", {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x26, 0xFF}, 1, 0},
        {"missing end collection", openApplication, 1, 5},
        {"stray end collections",
         {0xC0, 0xC0, 0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0xC0}, 1, 2},
        {"long item past the end", {0xFE, 0x40, 0x00, 0x01}, 0, 0},
        {"nesting too deep", deepNesting, 1, 0},
        {"global stack overflow", pushes, 0, 0},
        {"huge report",
         {0xA1, 0x01, 0x77, 0xFF, 0xFF, 0xFF, 0xFF, 0x97, 0xFF, 0xFF, 0xFF, 0xFF, 0x81, 0x02, 0x81, 0x02, 0xC0}, 1, 0xFFFF},
        {"items outside any collection", {0x75, 0x08, 0x95, 0x02, 0x81, 0x02}, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<HidCollectionInfo> found = parseReportDescriptor(c.bytes.data(), c.bytes.size());
        ASSERT_EQ(found.size(), c.collections);
        if (c.collections > 0) {
            EXPECT_EQ(found[0].inputReportLength, c.inputLength);
        }
    }
}

// Random bytes never make the parser read out of bounds (checked by the sanitizer build), and
// every input field it reports lies inside the input report length it reports.
TEST(ReportDescriptor, RandomInputKeepsFieldsInsideTheirReports)
{
    std::mt19937 random(20261210);
    const Bytes seed = stored("ite-keyboard-06cb-2968.bin");
    for (int round = 0; round < 3000; ++round) {
        Bytes bytes = seed;
        const int flips = 1 + round % 8;
        for (int i = 0; i < flips; ++i)
            bytes[random() % bytes.size()] = static_cast<std::uint8_t>(random());
        bytes.resize(random() % (bytes.size() + 1));
        for (const HidCollectionInfo& collection : parseReportDescriptor(bytes)) {
            ASSERT_TRUE(std::is_sorted(collection.reportIds.begin(), collection.reportIds.end()));
            for (const auto* fields : {&collection.inputButtons, &collection.inputValues}) {
                for (const HidInputField& f : *fields) {
                    const std::uint64_t end = f.bitOffset + std::uint64_t{f.bitSize} * f.count;
                    ASSERT_LE(end, (std::uint64_t{collection.inputReportLength} - 1) * 8) << "round " << round;
                }
            }
        }
    }
}

}  // namespace
}  // namespace kestrion
