#include "device/hidraw/hid_descriptor.h"

#include <algorithm>
#include <array>
#include <map>

namespace varcel {

namespace {

// Every short item starts with one prefix byte: bits 0-1 give how many data
// bytes follow (0, 1, 2, or 4 for the code 3), bits 2-3 the item type, bits
// 4-7 the tag. The data is little-endian.
constexpr std::uint8_t kSizeMask = 0x03;
constexpr int kTypeShift = 2;
constexpr std::uint8_t kTypeMask = 0x03;
constexpr int kTagShift = 4;
// A long item: this prefix, a data size byte, a tag byte, then the data. The
// HID 1.11 standard defines no long item tags, so they are stepped over.
constexpr std::uint8_t kLongItemPrefix = 0xFE;
constexpr std::size_t kLongItemHeader = 3;

enum class ItemType : std::uint8_t { Main = 0, Global = 1, Local = 2, Reserved = 3 };

namespace main_tag {
constexpr std::uint8_t kInput = 0x8;         // fields the device sends unasked (the mouse's notifications)
constexpr std::uint8_t kOutput = 0x9;        // fields the host sends (the mouse's data reports)
constexpr std::uint8_t kCollection = 0xA;    // opens a group; at depth 0, a top-level collection of its own
constexpr std::uint8_t kFeature = 0xB;       // fields read and written on request (the mouse's command reports)
constexpr std::uint8_t kEndCollection = 0xC; // closes the innermost open collection
} // namespace main_tag

namespace global_tag {
constexpr std::uint8_t kUsagePage = 0x0;   // page of the one- and two-byte usages that follow
constexpr std::uint8_t kReportSize = 0x7;  // bits in each field of the next main items
constexpr std::uint8_t kReportId = 0x8;    // report the next main items belong to; once given, every report is numbered
constexpr std::uint8_t kReportCount = 0x9; // fields in each of the next main items
constexpr std::uint8_t kPush = 0xA;        // saves the global state
constexpr std::uint8_t kPop = 0xB;         // restores the global state saved last
} // namespace global_tag

namespace local_tag {
constexpr std::uint8_t kUsage = 0x0; // a usage ID; with four data bytes, page in the high half and ID in the low
} // namespace local_tag

// Deeper than any real device goes; beyond this the bytes are garbage, and
// stopping keeps memory bounded.
constexpr std::size_t kMaxPushDepth = 16;
constexpr std::size_t kMaxCollectionDepth = 64;
// The kernel hands hidraw no report above 16 KiB, report-ID byte included.
constexpr std::uint64_t kMaxReportDataBytes = 16384 - 1;
constexpr std::uint32_t kMaxReportId = 255;

struct Globals {
    std::uint32_t usagePage = 0;
    std::uint32_t reportSize = 0;
    std::uint32_t reportCount = 0;
    std::uint32_t reportId = 0; // 0 until a Report ID item: the device's one unnumbered report
};

struct Usage {
    std::uint32_t value = 0; // page in the high half, ID in the low half
    bool extended = false;   // the item carried its own page
};

enum ReportKind { kInputReport, kOutputReport, kFeatureReport, kReportKinds };

std::uint16_t reportLength(const std::map<std::uint32_t, std::uint64_t>& bitsById)
{
    if (bitsById.empty())
        return 0;
    std::uint64_t bits = 0;
    for (const auto& entry : bitsById)
        bits = std::max(bits, entry.second);
    return static_cast<std::uint16_t>((bits + 7) / 8 + 1);
}

class Parser {
public:
    explicit Parser(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    HidDescriptorInfo run()
    {
        std::size_t at = 0;
        while (at < m_bytes.size()) {
            const std::size_t start = at;
            const std::uint8_t prefix = m_bytes[at];
            if (prefix == kLongItemPrefix) {
                if (m_bytes.size() - at < kLongItemHeader || m_bytes.size() - at - kLongItemHeader < m_bytes[at + 1])
                    return fail(DescriptorError::Truncated, start);
                at += kLongItemHeader + m_bytes[at + 1];
                continue;
            }
            const std::size_t sizeCode = prefix & kSizeMask;
            const std::size_t size = sizeCode == 3 ? 4 : sizeCode;
            if (m_bytes.size() - at - 1 < size)
                return fail(DescriptorError::Truncated, start);
            std::uint32_t data = 0;
            for (std::size_t i = 0; i < size; ++i)
                data |= static_cast<std::uint32_t>(m_bytes[at + 1 + i]) << (8 * i);
            at += 1 + size;

            const auto type = static_cast<ItemType>((prefix >> kTypeShift) & kTypeMask);
            const auto tag = static_cast<std::uint8_t>(prefix >> kTagShift);
            DescriptorError error = DescriptorError::None;
            switch (type) {
            case ItemType::Main: error = mainItem(tag); break;
            case ItemType::Global: error = globalItem(tag, data); break;
            case ItemType::Local: localItem(tag, data, size); break;
            case ItemType::Reserved: break;
            }
            if (error != DescriptorError::None)
                return fail(error, start);
        }
        if (m_depth != 0)
            return fail(DescriptorError::UnclosedCollection, m_bytes.size());
        return std::move(m_info);
    }

private:
    HidDescriptorInfo fail(DescriptorError error, std::size_t offset)
    {
        m_info.error = error;
        m_info.errorOffset = offset;
        return std::move(m_info);
    }

    DescriptorError globalItem(std::uint8_t tag, std::uint32_t data)
    {
        switch (tag) {
        case global_tag::kUsagePage: m_globals.usagePage = data; break;
        case global_tag::kReportSize: m_globals.reportSize = data; break;
        case global_tag::kReportCount: m_globals.reportCount = data; break;
        case global_tag::kReportId:
            if (data == 0 || data > kMaxReportId)
                return DescriptorError::InvalidReportId;
            m_globals.reportId = data;
            m_info.numberedReports = true;
            break;
        case global_tag::kPush:
            if (m_pushed.size() == kMaxPushDepth)
                return DescriptorError::TooDeep;
            m_pushed.push_back(m_globals);
            break;
        case global_tag::kPop:
            if (m_pushed.empty())
                return DescriptorError::PopWithoutPush;
            m_globals = m_pushed.back();
            m_pushed.pop_back();
            break;
        default: break;
        }
        return DescriptorError::None;
    }

    void localItem(std::uint8_t tag, std::uint32_t data, std::size_t size)
    {
        if (tag != local_tag::kUsage)
            return;
        if (size == 4)
            m_usages.push_back({data, true});
        else
            m_usages.push_back({pageOf(m_globals.usagePage) | (data & 0xFFFF), false});
    }

    static std::uint32_t pageOf(std::uint32_t usagePage) { return (usagePage & 0xFFFF) << 16; }

    // Some devices give the Usage Page after their usages, just before the
    // main item. As the kernel does, the page in force at the main item then
    // claims the trailing short usages that no page has claimed since.
    void bindLatePage()
    {
        const std::uint32_t page = pageOf(m_globals.usagePage);
        for (auto it = m_usages.rbegin(); it != m_usages.rend(); ++it) {
            if (it->extended)
                continue;
            if ((it->value & 0xFFFF0000) == page)
                break;
            it->value = page | (it->value & 0xFFFF);
        }
    }

    DescriptorError mainItem(std::uint8_t tag)
    {
        bindLatePage();
        DescriptorError error = DescriptorError::None;
        switch (tag) {
        case main_tag::kCollection: error = openCollection(); break;
        case main_tag::kEndCollection: error = closeCollection(); break;
        case main_tag::kInput: error = addFields(kInputReport); break;
        case main_tag::kOutput: error = addFields(kOutputReport); break;
        case main_tag::kFeature: error = addFields(kFeatureReport); break;
        default: break;
        }
        // Local items last only until the next main item, whatever it is.
        m_usages.clear();
        return error;
    }

    DescriptorError openCollection()
    {
        if (m_depth == kMaxCollectionDepth)
            return DescriptorError::TooDeep;
        if (m_depth++ != 0)
            return DescriptorError::None;
        m_current = HidCollectionCaps{};
        for (auto& bits : m_bits)
            bits.clear();
        if (m_usages.empty()) {
            m_current.usagePage = static_cast<std::uint16_t>(m_globals.usagePage);
        } else {
            m_current.usagePage = static_cast<std::uint16_t>(m_usages.front().value >> 16);
            m_current.usage = static_cast<std::uint16_t>(m_usages.front().value);
        }
        return DescriptorError::None;
    }

    DescriptorError closeCollection()
    {
        if (m_depth == 0)
            return DescriptorError::StrayEndCollection;
        if (--m_depth != 0)
            return DescriptorError::None;
        m_current.inputLength = reportLength(m_bits[kInputReport]);
        m_current.outputLength = reportLength(m_bits[kOutputReport]);
        m_current.featureLength = reportLength(m_bits[kFeatureReport]);
        m_info.collections.push_back(m_current);
        return DescriptorError::None;
    }

    DescriptorError addFields(ReportKind kind)
    {
        // Fields outside every collection belong to no collection a program
        // could open; the host's parser leaves them out too.
        if (m_depth == 0)
            return DescriptorError::None;
        const std::uint64_t bits = std::uint64_t{m_globals.reportSize} * m_globals.reportCount;
        std::uint64_t& total = m_bits[kind][m_globals.reportId];
        if (bits > kMaxReportDataBytes * 8 || total + bits > kMaxReportDataBytes * 8)
            return DescriptorError::ReportTooLong;
        total += bits;
        return DescriptorError::None;
    }

    std::span<const std::uint8_t> m_bytes;
    HidDescriptorInfo m_info;
    Globals m_globals;
    std::vector<Globals> m_pushed;
    std::vector<Usage> m_usages;
    std::size_t m_depth = 0;
    HidCollectionCaps m_current;
    // Bits of each report, by report ID, of the top-level collection being read.
    std::array<std::map<std::uint32_t, std::uint64_t>, kReportKinds> m_bits;
};

} // namespace

const char* descriptorErrorName(DescriptorError error)
{
    switch (error) {
    case DescriptorError::None: return "none";
    case DescriptorError::Truncated: return "truncated item";
    case DescriptorError::UnclosedCollection: return "collection not closed";
    case DescriptorError::StrayEndCollection: return "End Collection without a collection";
    case DescriptorError::PopWithoutPush: return "Pop without Push";
    case DescriptorError::TooDeep: return "nested too deep";
    case DescriptorError::InvalidReportId: return "invalid report ID";
    case DescriptorError::ReportTooLong: return "report too long";
    }
    return "?";
}

HidDescriptorInfo parseHidDescriptor(std::span<const std::uint8_t> descriptor)
{
    return Parser(descriptor).run();
}

} // namespace varcel
