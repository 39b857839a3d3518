// Report descriptors built item by item from the HID 1.11 item rules, so the
// tests do not take their bytes from the parser they check.
//
// A short item is a prefix byte, tag << 4 | type << 2 | size code (0, 1, 2,
// or 3 for four bytes), followed by that many data bytes, little-endian.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace varcel::test {

class DescriptorBuilder {
public:
    enum Type : std::uint8_t { kMain = 0, kGlobal = 1, kLocal = 2 };
    // Collection kinds (HID 1.11, 6.2.2.6).
    static constexpr std::uint32_t kPhysical = 0x00;
    static constexpr std::uint32_t kApplication = 0x01;
    static constexpr std::uint32_t kLogical = 0x02;
    // Main item flags: bit 0 constant, bit 1 variable, bit 2 relative.
    static constexpr std::uint32_t kData = 0x00;
    static constexpr std::uint32_t kConstant = 0x01;
    static constexpr std::uint32_t kVariable = 0x02;
    static constexpr std::uint32_t kRelative = 0x04;

    // One item with exactly `size` data bytes (0, 1, 2 or 4).
    DescriptorBuilder& item(Type type, std::uint8_t tag, std::uint32_t value, int size)
    {
        const int code = size == 4 ? 3 : size;
        m_bytes.push_back(static_cast<std::uint8_t>(tag << 4 | type << 2 | code));
        for (int i = 0; i < size; ++i)
            m_bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
        m_itemEnds.push_back(m_bytes.size());
        m_depthAfter.push_back(m_depth);
        return *this;
    }
    // The item in the fewest bytes that hold `value` as an unsigned number.
    DescriptorBuilder& shortest(Type type, std::uint8_t tag, std::uint32_t value)
    {
        return item(type, tag, value, value <= 0xFF ? 1 : value <= 0xFFFF ? 2 : 4);
    }
    // Signed values (logical limits) in the fewest bytes, two's complement.
    DescriptorBuilder& signedItem(Type type, std::uint8_t tag, std::int32_t value)
    {
        const int size = value >= -128 && value <= 127 ? 1 : value >= -32768 && value <= 32767 ? 2 : 4;
        return item(type, tag, static_cast<std::uint32_t>(value), size);
    }

    DescriptorBuilder& usagePage(std::uint32_t page) { return shortest(kGlobal, 0x0, page); }
    DescriptorBuilder& logicalMinimum(std::int32_t v) { return signedItem(kGlobal, 0x1, v); }
    DescriptorBuilder& logicalMaximum(std::int32_t v) { return signedItem(kGlobal, 0x2, v); }
    DescriptorBuilder& reportSize(std::uint32_t bits) { return shortest(kGlobal, 0x7, bits); }
    DescriptorBuilder& reportId(std::uint32_t id) { return shortest(kGlobal, 0x8, id); }
    DescriptorBuilder& reportCount(std::uint32_t count) { return shortest(kGlobal, 0x9, count); }
    DescriptorBuilder& push() { return item(kGlobal, 0xA, 0, 0); }
    DescriptorBuilder& pop() { return item(kGlobal, 0xB, 0, 0); }

    DescriptorBuilder& usage(std::uint32_t id) { return shortest(kLocal, 0x0, id); }
    // Page in the high half, ID in the low: always four bytes.
    DescriptorBuilder& extendedUsage(std::uint32_t pageAndId) { return item(kLocal, 0x0, pageAndId, 4); }
    DescriptorBuilder& usageMinimum(std::uint32_t id) { return shortest(kLocal, 0x1, id); }
    DescriptorBuilder& usageMaximum(std::uint32_t id) { return shortest(kLocal, 0x2, id); }

    DescriptorBuilder& input(std::uint32_t flags) { return item(kMain, 0x8, flags, 1); }
    DescriptorBuilder& output(std::uint32_t flags) { return item(kMain, 0x9, flags, 1); }
    DescriptorBuilder& feature(std::uint32_t flags) { return item(kMain, 0xB, flags, 1); }
    DescriptorBuilder& collection(std::uint32_t kind)
    {
        ++m_depth;
        return item(kMain, 0xA, kind, 1);
    }
    DescriptorBuilder& endCollection()
    {
        --m_depth;
        return item(kMain, 0xC, 0, 0);
    }
    // A long item: 0xFE, data size, tag, data.
    DescriptorBuilder& longItem(std::uint8_t tag, const std::vector<std::uint8_t>& data)
    {
        m_bytes.push_back(0xFE);
        m_bytes.push_back(static_cast<std::uint8_t>(data.size()));
        m_bytes.push_back(tag);
        m_bytes.insert(m_bytes.end(), data.begin(), data.end());
        m_itemEnds.push_back(m_bytes.size());
        m_depthAfter.push_back(m_depth);
        return *this;
    }
    DescriptorBuilder& append(const DescriptorBuilder& other)
    {
        const std::size_t base = m_bytes.size();
        m_bytes.insert(m_bytes.end(), other.m_bytes.begin(), other.m_bytes.end());
        for (std::size_t i = 0; i < other.m_itemEnds.size(); ++i) {
            m_itemEnds.push_back(base + other.m_itemEnds[i]);
            m_depthAfter.push_back(m_depth + other.m_depthAfter[i]);
        }
        m_depth += other.m_depth;
        return *this;
    }

    const std::vector<std::uint8_t>& bytes() const { return m_bytes; }
    // Where each item ends, and how deep in collections the bytes are there.
    const std::vector<std::size_t>& itemEnds() const { return m_itemEnds; }
    const std::vector<int>& depthAfter() const { return m_depthAfter; }

private:
    std::vector<std::uint8_t> m_bytes;
    std::vector<std::size_t> m_itemEnds;
    std::vector<int> m_depthAfter;
    int m_depth = 0;
};

} // namespace varcel::test
