// The wire protocol shared by the link and the simulated mouse: report sizes,
// command bytes, the checksum, the data report count and the scrambling.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace varcel {

inline constexpr std::uint16_t kVendorId = 0x04D9;
inline constexpr std::uint16_t kProductId = 0xA09F;

// Vendor collections of the mouse, told apart by usage page and usage.
inline constexpr std::uint16_t kCommandUsage = 0xFF00;      // feature reports + data reports
inline constexpr std::uint16_t kNotificationUsage = 0xFF01; // input reports the mouse volunteers

inline constexpr std::size_t kCommandSize = 8;     // command byte, six parameters, checksum
inline constexpr std::size_t kDataSize = 32;       // payload of one data report
inline constexpr std::uint8_t kReadBackBit = 0x80; // set in the command byte of a read-back

using CommandReport = std::array<std::uint8_t, kCommandSize>;

// Command bytes. The read-back forms are the write forms with bit 7 set.
namespace cmd {
inline constexpr std::uint8_t kProbe = 0x00;          // handshake, echoed by the mouse
inline constexpr std::uint8_t kReportRate = 0x01;     // byte 1: report interval code
inline constexpr std::uint8_t kSensorWrite = 0x03;    // bytes 1-4: sensor record
inline constexpr std::uint8_t kSensorRead = 0x83;     // reply bytes 1-4: sensor record
inline constexpr std::uint8_t kRgbEffect = 0x0D;      // bytes 1-3: mode, parameter + 1, 3
inline constexpr std::uint8_t kColourWrite = 0x10;    // byte 1: block 0-2, byte 2: length
inline constexpr std::uint8_t kColourRead = 0x90;     // reply byte 1: block, byte 2: length
inline constexpr std::uint8_t kDpiWrite = 0x11;       // byte 1: stage count 4, byte 2: length 8
inline constexpr std::uint8_t kKeyMatrixWrite = 0x12; // byte 1: matrix 1-4, byte 2: length 64
inline constexpr std::uint8_t kMacroWrite = 0x13;     // byte 1: macro 1-12, byte 2: length 128
inline constexpr std::uint8_t kMacroRead = 0x93;      // reply byte 1: macro, byte 2: length
} // namespace cmd

// Bytes 1 to 6 of the handshake probe; the mouse must echo bytes 1 to 4.
inline constexpr std::array<std::uint8_t, 6> kProbeParams{0xAA, 0xDD, 0x3B, 0x62, 0x00, 0x00};

// Checksum of a command report: 0xFF minus the sum of bytes 0 to 6.
std::uint8_t commandChecksum(std::span<const std::uint8_t, kCommandSize> report);
void putChecksum(CommandReport& report);

// Data reports that follow a command announcing `length` bytes.
constexpr std::size_t dataReportCount(std::size_t length) { return (length + kDataSize - 1) / kDataSize; }

// The scrambling key: byte 0 and byte 7 are zero and take no part.
using KeyRecord = std::array<std::uint8_t, 8>;
using AdditiveTable = std::array<std::uint8_t, 8>;

// The built-in key and table, agreed with the simulated mouse's firmware:
// the defaults of the link constants (device/link_constants.h), which a user
// sets or learns for a mouse that needs others.
KeyRecord linkKey();
const AdditiveTable& linkTable();

void scramble(std::span<std::uint8_t, kCommandSize> bytes, const KeyRecord& key, const AdditiveTable& table);
void descramble(std::span<std::uint8_t, kCommandSize> bytes, const KeyRecord& key, const AdditiveTable& table);

} // namespace varcel
