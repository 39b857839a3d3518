#include "device/protocol.h"

#include <gtest/gtest.h>

#include <random>

namespace varcel {
namespace {

TEST(Checksum, KnownCommands)
{
    CommandReport rate{cmd::kReportRate, 8};
    putChecksum(rate);
    EXPECT_EQ(rate[7], 0xF6);

    CommandReport probe{cmd::kProbe, 0xAA, 0xDD, 0x3B, 0x62, 0x00, 0x00, 0x00};
    putChecksum(probe);
    EXPECT_EQ(probe[7], 0xDB);

    // The sum wraps modulo 256 rather than saturating.
    CommandReport full{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(commandChecksum(full), static_cast<std::uint8_t>(0xFF - 7 * 0xFF));
}

TEST(DataReportCount, RoundsUpToWholeReports)
{
    const std::pair<std::size_t, std::size_t> rows[] = {{0, 0}, {1, 1}, {32, 1}, {33, 2}, {64, 2}, {65, 3}, {128, 4}};
    for (auto [length, reports] : rows)
        EXPECT_EQ(dataReportCount(length), reports) << "length " << length;
}

TEST(Scramble, DescrambleUndoesScrambleForAnyKeyTableAndInput)
{
    std::mt19937 rng(12345);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 5000; ++round) {
        KeyRecord key{};
        AdditiveTable table{};
        std::array<std::uint8_t, 8> data{};
        for (auto& b : key) b = static_cast<std::uint8_t>(byte(rng));
        for (auto& b : table) b = static_cast<std::uint8_t>(byte(rng));
        for (auto& b : data) b = static_cast<std::uint8_t>(byte(rng));
        auto work = data;
        scramble(work, key, table);
        descramble(work, key, table);
        ASSERT_EQ(work, data) << "round " << round;
    }
}

TEST(Scramble, WithZeroKeyAndTableIsPairSwapThenRotation)
{
    // Pair swap of 01..08 gives 06 05 08 07 02 01 04 03; rotated left by 3 bits
    // as one big-endian 64-bit number.
    std::array<std::uint8_t, 8> data{0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08};
    std::uint64_t swapped = 0x0605080702010403ull;
    const std::uint64_t rotated = (swapped << 3) | (swapped >> 61);
    scramble(data, KeyRecord{}, AdditiveTable{});
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(data[i], static_cast<std::uint8_t>(rotated >> (56 - 8 * i))) << "byte " << i;
}

TEST(Scramble, KeyBytesZeroAndSevenTakeNoPart)
{
    KeyRecord key = linkKey();
    EXPECT_EQ(key[0], 0);
    EXPECT_EQ(key[7], 0);
    std::array<std::uint8_t, 8> a{1, 2, 3, 4, 5, 6, 7, 8};
    auto b = a;
    KeyRecord other = key;
    other[0] = 0x55;
    other[7] = 0xAA;
    scramble(a, key, linkTable());
    scramble(b, other, linkTable());
    EXPECT_EQ(a, b);
}

} // namespace
} // namespace varcel
