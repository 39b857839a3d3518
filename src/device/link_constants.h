// The link constants: the six key bytes and the eight table bytes the
// scrambling uses. The built-in ones match the simulated mouse; a real mouse
// may need others, which the user sets or learns from a capture and keeps in
// the data folder's link file.
#pragma once

#include "device/protocol.h"
#include "platform/data_files.h"
#include "platform/failure.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace varcel {

struct LinkConstants {
    std::array<std::uint8_t, 6> key{};
    AdditiveTable table{};

    KeyRecord keyRecord() const;
    bool operator==(const LinkConstants&) const = default;
};

LinkConstants builtInLinkConstants();

// Key as 12 hex digits, table as 16; nothing else is taken (no spaces, no 0x).
std::optional<LinkConstants> parseLinkConstants(std::string_view key, std::string_view table);
// "KEY:TABLE", the form of --link and --sim-link.
std::optional<LinkConstants> parseLinkOption(std::string_view text);
std::string keyHex(const LinkConstants& c);
std::string tableHex(const LinkConstants& c);

struct LinkFileRead {
    LinkConstants constants = builtInLinkConstants();
    bool fromFile = false; // false: no link file, the built-in constants
    Problem problem;       // the file is there but unusable; constants are the built-in ones
};

LinkFileRead readLinkFile(const std::filesystem::path& dataDir);
// Both return nothing or what failed.
Problem writeLinkFile(const std::filesystem::path& dataDir, const LinkConstants& c);
Problem removeLinkFile(const std::filesystem::path& dataDir);

} // namespace varcel
