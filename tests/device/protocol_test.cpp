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

// Vectors worked out by hand from the scrambling steps, with every
// intermediate value written down. The test checks each step against the one
// before it (so a slip in the vector itself shows), then the program's
// scramble against the last row and its descramble against the first. A slip
// made the same way in both directions (a key byte skipped, the table's
// halves not swapped) passes the round trip but not these.
struct WorkedVector {
    const char* what;
    KeyRecord key;
    AdditiveTable table;
    std::array<std::uint8_t, 8> plain;   // command report, checksum included
    std::array<std::uint8_t, 8> swapT;   // the table with each byte's halves exchanged
    std::array<std::uint8_t, 8> pairs;   // step 1: d0<->d5, d1<->d4, d2<->d7, d3<->d6
    std::array<std::uint8_t, 8> xored;   // step 2: d1..d6 ^= K1..K6
    std::array<std::uint8_t, 8> rotated; // step 3: left by 3 bits as one big-endian number
    std::array<std::uint8_t, 8> wire;    // step 4: di + swap(Ti), modulo 256
};

const WorkedVector kWorked[] = {
    {"macro 5 write, a key of single bits, a table of distinct halves",
     {0x00, 0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x00},
     {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0},
     {0x13, 0x05, 0x80, 0x00, 0x00, 0x00, 0x00, 0x67},
     {0x21, 0x43, 0x65, 0x87, 0xA9, 0xCB, 0xED, 0x0F},
     {0x00, 0x00, 0x67, 0x00, 0x05, 0x13, 0x00, 0x80},
     {0x00, 0x01, 0x65, 0x04, 0x0D, 0x03, 0x20, 0x80},
     {0x00, 0x0B, 0x28, 0x20, 0x68, 0x19, 0x04, 0x00},
     {0x21, 0x4E, 0x8D, 0xA7, 0x11, 0xE4, 0xF1, 0x0F}},
    {"the handshake probe with the link's own key and table",
     {0x00, 0x5A, 0x17, 0xC3, 0x8E, 0x41, 0xB6, 0x00},
     {0x3D, 0x92, 0x07, 0xE4, 0x68, 0xAF, 0x1B, 0xC5},
     {0x00, 0xAA, 0xDD, 0x3B, 0x62, 0x00, 0x00, 0xDB},
     {0xD3, 0x29, 0x70, 0x4E, 0x86, 0xFA, 0xB1, 0x5C},
     {0x00, 0x62, 0xDB, 0x00, 0xAA, 0x00, 0x3B, 0xDD},
     {0x00, 0x38, 0xCC, 0xC3, 0x24, 0x41, 0x8D, 0xDD},
     {0x01, 0xC6, 0x66, 0x19, 0x22, 0x0C, 0x6E, 0xE8},
     {0xD4, 0xEF, 0xD6, 0x67, 0xA8, 0x06, 0x1F, 0x44}},
};

TEST(Scramble, HandWorkedVectorsStepByStep)
{
    for (const WorkedVector& v : kWorked) {
        SCOPED_TRACE(v.what);
        // The vector's own steps, each from the one before.
        for (int i = 0; i < 8; ++i) {
            EXPECT_EQ(v.swapT[i], static_cast<std::uint8_t>((v.table[i] << 4) | (v.table[i] >> 4))) << i;
            static constexpr int partner[8] = {5, 4, 7, 6, 1, 0, 3, 2};
            EXPECT_EQ(v.pairs[i], v.plain[partner[i]]) << i;
            EXPECT_EQ(v.xored[i], (i == 0 || i == 7) ? v.pairs[i] : v.pairs[i] ^ v.key[i]) << i;
            EXPECT_EQ(v.rotated[i], static_cast<std::uint8_t>((v.xored[i] << 3) | (v.xored[(i + 1) % 8] >> 5))) << i;
            EXPECT_EQ(v.wire[i], static_cast<std::uint8_t>(v.rotated[i] + v.swapT[i])) << i;
        }
        EXPECT_EQ(v.plain[7], commandChecksum(v.plain));

        auto work = v.plain;
        scramble(work, v.key, v.table);
        EXPECT_EQ(work, v.wire);
        descramble(work, v.key, v.table);
        EXPECT_EQ(work, v.plain);
    }
    // The second vector is what the mouse is sent as the scrambled probe.
    EXPECT_EQ(linkKey(), kWorked[1].key);
    EXPECT_EQ(linkTable(), kWorked[1].table);
}

} // namespace
} // namespace varcel
