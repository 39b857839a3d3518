#include "device/protocol.h"

#include <numeric>
#include <utility>

namespace varcel {

namespace {

constexpr std::array<std::uint8_t, 6> kKeyBytes{0x5A, 0x17, 0xC3, 0x8E, 0x41, 0xB6};
constexpr AdditiveTable kTable{0x3D, 0x92, 0x07, 0xE4, 0x68, 0xAF, 0x1B, 0xC5};

constexpr std::uint8_t nibbleSwap(std::uint8_t b) { return static_cast<std::uint8_t>((b << 4) | (b >> 4)); }

void swapPairs(std::span<std::uint8_t, kCommandSize> d)
{
    std::swap(d[0], d[5]);
    std::swap(d[1], d[4]);
    std::swap(d[2], d[7]);
    std::swap(d[3], d[6]);
}

void xorKey(std::span<std::uint8_t, kCommandSize> d, const KeyRecord& key)
{
    for (std::size_t i = 1; i <= 6; ++i)
        d[i] ^= key[i];
}

} // namespace

std::uint8_t commandChecksum(std::span<const std::uint8_t, kCommandSize> report)
{
    const unsigned sum = std::accumulate(report.begin(), report.begin() + 7, 0u);
    return static_cast<std::uint8_t>(0xFF - sum);
}

void putChecksum(CommandReport& report) { report[7] = commandChecksum(report); }

KeyRecord linkKey()
{
    KeyRecord key{};
    std::copy(kKeyBytes.begin(), kKeyBytes.end(), key.begin() + 1);
    return key;
}

const AdditiveTable& linkTable() { return kTable; }

void scramble(std::span<std::uint8_t, kCommandSize> d, const KeyRecord& key, const AdditiveTable& table)
{
    swapPairs(d);
    xorKey(d, key);
    // Rotate the eight bytes, read as one big-endian number, left by 3 bits.
    const std::array<std::uint8_t, kCommandSize> old{d[0], d[1], d[2], d[3], d[4], d[5], d[6], d[7]};
    for (std::size_t i = 0; i < kCommandSize; ++i)
        d[i] = static_cast<std::uint8_t>((old[i] << 3) | (old[(i + 1) % kCommandSize] >> 5));
    for (std::size_t i = 0; i < kCommandSize; ++i)
        d[i] = static_cast<std::uint8_t>(d[i] + nibbleSwap(table[i]));
}

void descramble(std::span<std::uint8_t, kCommandSize> d, const KeyRecord& key, const AdditiveTable& table)
{
    for (std::size_t i = 0; i < kCommandSize; ++i)
        d[i] = static_cast<std::uint8_t>(d[i] - nibbleSwap(table[i]));
    const std::array<std::uint8_t, kCommandSize> old{d[0], d[1], d[2], d[3], d[4], d[5], d[6], d[7]};
    for (std::size_t i = 0; i < kCommandSize; ++i)
        d[i] = static_cast<std::uint8_t>((old[i] >> 3) | (old[(i + kCommandSize - 1) % kCommandSize] << 5));
    xorKey(d, key);
    swapPairs(d);
}

} // namespace varcel
