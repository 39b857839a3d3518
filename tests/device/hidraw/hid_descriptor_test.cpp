#include "device/hidraw/hid_descriptor.h"

#include "mouse_descriptors.h"

#include <gtest/gtest.h>

#include <ostream>
#include <random>

namespace varcel {

std::ostream& operator<<(std::ostream& out, const HidCollectionCaps& c)
{
    return out << std::hex << "{page 0x" << c.usagePage << " usage 0x" << c.usage << std::dec << " feature "
               << c.featureLength << " input " << c.inputLength << " output " << c.outputLength << "}";
}

namespace {

using test::D;

// Expected lengths written as the rule says: the largest report's data
// bytes, plus one for the report ID whether or not the device numbers them.
constexpr std::uint16_t len(int dataBytes) { return static_cast<std::uint16_t>(1 + dataBytes); }

const HidCollectionCaps kPointer{0x01, 0x02, 0, len(6), 0};            // 5 + 3 + 2 * 16 + 8 bits
const HidCollectionCaps kKeyboard{0x01, 0x06, 0, len(15), len(1)};     // report 1: 8 bytes, report 2: 120 bits
const HidCollectionCaps kConsumer{0x0C, 0x01, 0, len(2), 0};           // one 16-bit usage
const HidCollectionCaps kCommand{0xFF00, 0xFF00, len(8), len(32), len(32)};
const HidCollectionCaps kNotification{0xFF01, 0xFF01, 0, len(7), 0};

TEST(HidDescriptor, TheSpecificationsBootMouse)
{
    // The boot mouse of the HID 1.11 standard, as its appendix prints it:
    // three buttons, five bits of padding, X and Y.
    const std::vector<std::uint8_t> bytes{
        0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x09, 0x01, 0xA1, 0x00, 0x05, 0x09, 0x19, 0x01, 0x29, 0x03,
        0x15, 0x00, 0x25, 0x01, 0x95, 0x03, 0x75, 0x01, 0x81, 0x02, 0x95, 0x01, 0x75, 0x05, 0x81, 0x01,
        0x05, 0x01, 0x09, 0x30, 0x09, 0x31, 0x15, 0x81, 0x25, 0x7F, 0x75, 0x08, 0x95, 0x02, 0x81, 0x06,
        0xC0, 0xC0};
    const auto info = parseHidDescriptor(bytes);
    EXPECT_EQ(info.error, DescriptorError::None);
    EXPECT_FALSE(info.numberedReports);
    ASSERT_EQ(info.collections.size(), 1u);
    EXPECT_EQ(info.collections[0], (HidCollectionCaps{0x01, 0x02, 0, len(3), 0}));

    // The builder writes the same bytes from the item rules.
    D d;
    d.usagePage(0x01).usage(0x02).collection(D::kApplication).usage(0x01).collection(D::kPhysical);
    d.usagePage(0x09).usageMinimum(1).usageMaximum(3).logicalMinimum(0).logicalMaximum(1);
    d.reportCount(3).reportSize(1).input(D::kVariable).reportCount(1).reportSize(5).input(D::kConstant);
    d.usagePage(0x01).usage(0x30).usage(0x31).logicalMinimum(-127).logicalMaximum(127);
    d.reportSize(8).reportCount(2).input(D::kVariable | D::kRelative).endCollection().endCollection();
    EXPECT_EQ(d.bytes(), bytes);
}

TEST(HidDescriptor, GamingMouseCollectionsAndLengths)
{
    struct Row {
        const char* name;
        D descriptor;
        bool numbered;
        std::vector<HidCollectionCaps> collections;
    };
    const Row rows[] = {
        {"pointer interface, unnumbered", test::pointerInterface(), false, {kPointer}},
        {"keyboard interface, numbered", test::keyboardInterface(), true, {kKeyboard, kConsumer, kNotification}},
        {"command interface, unnumbered", test::commandInterface(), false, {kCommand}},
        // Numbering changes no length: the ID byte was counted all along.
        {"one interface, all numbered", test::compositeDescriptor(), true,
         {kPointer, kKeyboard, kConsumer, kCommand, kNotification}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto info = parseHidDescriptor(row.descriptor.bytes());
        EXPECT_EQ(info.error, DescriptorError::None) << descriptorErrorName(info.error);
        EXPECT_EQ(info.numberedReports, row.numbered);
        EXPECT_EQ(info.collections, row.collections);
    }
}

TEST(HidDescriptor, UsagesOfTopLevelCollections)
{
    struct Row {
        const char* name;
        D descriptor;
        std::uint16_t page;
        std::uint16_t usage;
    };
    std::vector<Row> rows;
    {
        D d;
        d.usagePage(0x01).extendedUsage(0xFF000001).collection(D::kApplication).endCollection();
        rows.push_back({"a four-byte usage brings its own page", d, 0xFF00, 0x0001});
    }
    {
        D d;
        d.extendedUsage(0xFF01FF01).collection(D::kApplication).endCollection();
        rows.push_back({"a four-byte usage needs no Usage Page", d, 0xFF01, 0xFF01});
    }
    {
        D d;
        d.usage(0xFF00).usagePage(0xFF00).collection(D::kApplication).endCollection();
        rows.push_back({"a Usage Page after the usage still names its page", d, 0xFF00, 0xFF00});
    }
    {
        D d;
        d.usagePage(0x0C).usage(0x01).usagePage(0x01).usage(0x02).collection(D::kApplication).endCollection();
        rows.push_back({"the first usage names the collection, with its own page", d, 0x0C, 0x01});
    }
    {
        D d;
        d.usagePage(0x01).usage(0x06).reportSize(8).reportCount(1).input(D::kData);
        d.usagePage(0xFF00).collection(D::kApplication).endCollection();
        rows.push_back({"usages end at the main item that uses them", d, 0xFF00, 0x0000});
    }
    {
        D d;
        d.usagePage(0x01).usage(0x02).collection(D::kApplication);
        d.usagePage(0xFF00).usage(0xFF00).collection(D::kLogical).endCollection();
        d.endCollection();
        rows.push_back({"nested collections are not top-level", d, 0x01, 0x02});
    }
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto info = parseHidDescriptor(row.descriptor.bytes());
        EXPECT_EQ(info.error, DescriptorError::None);
        ASSERT_EQ(info.collections.size(), 1u);
        EXPECT_EQ(info.collections[0].usagePage, row.page);
        EXPECT_EQ(info.collections[0].usage, row.usage);
    }
}

TEST(HidDescriptor, PushAndPopRestoreTheGlobalState)
{
    D d;
    d.usagePage(0xFF00).push().usagePage(0x01).pop().usage(0x01).collection(D::kApplication);
    // 3 bytes saved; 2 bytes given under the push; after the pop the 3 bytes again.
    d.reportId(1).reportSize(8).reportCount(3).push();
    d.reportId(2).reportSize(16).reportCount(1).input(D::kData);
    d.pop().input(D::kData);
    // Report 1 now holds the 3 bytes after the pop plus these 2.
    d.reportCount(2).input(D::kData);
    d.endCollection();
    const auto info = parseHidDescriptor(d.bytes());
    EXPECT_EQ(info.error, DescriptorError::None);
    ASSERT_EQ(info.collections.size(), 1u);
    EXPECT_EQ(info.collections[0], (HidCollectionCaps{0xFF00, 0x01, 0, len(5), 0}));
}

TEST(HidDescriptor, LongItemsAreSteppedOver)
{
    D d;
    d.longItem(0x10, {0xAA, 0xBB, 0xCC}).append(test::commandInterface()).longItem(0x11, {});
    const auto info = parseHidDescriptor(d.bytes());
    EXPECT_EQ(info.error, DescriptorError::None);
    EXPECT_EQ(info.collections, std::vector<HidCollectionCaps>{kCommand});
}

TEST(HidDescriptor, MalformedDescriptorsReportTheFaultAndWhatCameBefore)
{
    struct Row {
        const char* name;
        D descriptor;
        DescriptorError error;
    };
    std::vector<Row> rows;
    const auto good = test::notificationCollection;
    rows.push_back({"End Collection with none open", D(good()).endCollection(), DescriptorError::StrayEndCollection});
    rows.push_back({"Pop without Push", D(good()).pop(), DescriptorError::PopWithoutPush});
    rows.push_back({"report ID 0", D(good()).reportId(0), DescriptorError::InvalidReportId});
    rows.push_back({"report ID 256", D(good()).reportId(256), DescriptorError::InvalidReportId});
    rows.push_back({"data ends inside a collection", D(good()).usage(1).collection(D::kApplication),
                    DescriptorError::UnclosedCollection});
    {
        D d(good());
        d.usage(1).collection(D::kApplication).reportSize(8).reportCount(20000).input(D::kData);
        rows.push_back({"a report of 20000 bytes", d, DescriptorError::ReportTooLong});
    }
    {
        D d(good());
        for (int i = 0; i < 1000; ++i)
            d.collection(D::kLogical);
        rows.push_back({"a thousand nested collections", d, DescriptorError::TooDeep});
    }
    {
        D d(good());
        for (int i = 0; i < 1000; ++i)
            d.push();
        rows.push_back({"a thousand pushes", d, DescriptorError::TooDeep});
    }
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto info = parseHidDescriptor(row.descriptor.bytes());
        EXPECT_EQ(info.error, row.error) << descriptorErrorName(info.error);
        EXPECT_LE(info.errorOffset, row.descriptor.bytes().size());
        EXPECT_EQ(info.collections, std::vector<HidCollectionCaps>{kNotification});
        EXPECT_TRUE(info.numberedReports);
    }

    // Cut-off items: the prefix byte promises more data than there is.
    const std::vector<std::uint8_t> cut[] = {{0x06, 0x00}, {0x27, 0x00, 0x00, 0x01}, {0xFE}, {0xFE, 0x04, 0x10, 1, 2}};
    for (const auto& bytes : cut) {
        const auto info = parseHidDescriptor(bytes);
        EXPECT_EQ(info.error, DescriptorError::Truncated);
        EXPECT_EQ(info.errorOffset, 0u);
    }
}

TEST(HidDescriptor, EveryPrefixOfADescriptorGivesTheCollectionsClosedWithinIt)
{
    const D full = test::compositeDescriptor();
    const auto whole = parseHidDescriptor(full.bytes()).collections;
    const auto& ends = full.itemEnds();
    const auto& depth = full.depthAfter();
    for (std::size_t n = 0; n <= full.bytes().size(); ++n) {
        SCOPED_TRACE("first " + std::to_string(n) + " bytes");
        // What the prefix holds, from the builder's own record of its items.
        std::size_t closed = 0;
        bool boundary = n == 0;
        int depthThere = 0;
        for (std::size_t i = 0; i < ends.size() && ends[i] <= n; ++i) {
            if (depth[i] == 0 && i > 0 && depth[i - 1] > 0)
                ++closed;
            boundary = ends[i] == n;
            depthThere = depth[i];
        }
        const auto info = parseHidDescriptor(std::span(full.bytes().data(), n));
        const DescriptorError expected = !boundary       ? DescriptorError::Truncated
                                         : depthThere > 0 ? DescriptorError::UnclosedCollection
                                                          : DescriptorError::None;
        EXPECT_EQ(info.error, expected) << descriptorErrorName(info.error);
        ASSERT_EQ(info.collections.size(), closed);
        EXPECT_TRUE(std::equal(info.collections.begin(), info.collections.end(), whole.begin()));
    }
}

TEST(HidDescriptor, RandomBytesNeverReadPastTheEnd)
{
    // Run under AddressSanitizer too: an over-read shows there, not here.
    std::mt19937 rng(20240611);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> length(0, 300);
    const auto mouse = test::compositeDescriptor().bytes();
    for (int round = 0; round < 40000; ++round) {
        std::vector<std::uint8_t> bytes;
        if (round % 2 == 0) {
            bytes.resize(static_cast<std::size_t>(length(rng)));
            for (auto& b : bytes)
                b = static_cast<std::uint8_t>(byte(rng));
        } else {
            // A real descriptor with a few bytes changed keeps most items
            // well-formed and reaches deeper into the parser.
            bytes = mouse;
            for (int flips = 1 + round % 4; flips > 0; --flips)
                bytes[static_cast<std::size_t>(byte(rng)) % bytes.size()] = static_cast<std::uint8_t>(byte(rng));
            bytes.resize(bytes.size() - static_cast<std::size_t>(byte(rng)) % 8);
        }
        // Exactly as long as the data: any read past it leaves the allocation.
        bytes.shrink_to_fit();
        const auto info = parseHidDescriptor(bytes);
        ASSERT_LE(info.errorOffset, bytes.size()) << "round " << round;
        for (const auto& c : info.collections) {
            ASSERT_LE(c.inputLength, 16384) << "round " << round;
            ASSERT_LE(c.outputLength, 16384) << "round " << round;
            ASSERT_LE(c.featureLength, 16384) << "round " << round;
        }
    }
}

} // namespace
} // namespace varcel
