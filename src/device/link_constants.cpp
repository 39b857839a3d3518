#include "device/link_constants.h"

#include "platform/atomic_file.h"
#include "platform/file_read.h"

#include <cstring>
#include <sstream>

namespace varcel {

namespace {

std::optional<std::uint8_t> hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return static_cast<std::uint8_t>(c - '0');
    if (c >= 'a' && c <= 'f')
        return static_cast<std::uint8_t>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F')
        return static_cast<std::uint8_t>(c - 'A' + 10);
    return std::nullopt;
}

template <std::size_t N>
std::optional<std::array<std::uint8_t, N>> parseHex(std::string_view text)
{
    if (text.size() != 2 * N)
        return std::nullopt;
    std::array<std::uint8_t, N> bytes{};
    for (std::size_t i = 0; i < N; ++i) {
        const auto high = hexDigit(text[2 * i]);
        const auto low = hexDigit(text[2 * i + 1]);
        if (!high || !low)
            return std::nullopt;
        bytes[i] = static_cast<std::uint8_t>(*high << 4 | *low);
    }
    return bytes;
}

std::string toHex(std::span<const std::uint8_t> bytes)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (const std::uint8_t b : bytes) {
        text += kDigits[b >> 4];
        text += kDigits[b & 0xF];
    }
    return text;
}

std::string trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r");
    return std::string(text.substr(first, last - first + 1));
}

} // namespace

KeyRecord LinkConstants::keyRecord() const
{
    KeyRecord record{};
    std::copy(key.begin(), key.end(), record.begin() + 1);
    return record;
}

LinkConstants builtInLinkConstants()
{
    LinkConstants c;
    const KeyRecord record = linkKey();
    std::copy_n(record.begin() + 1, c.key.size(), c.key.begin());
    c.table = linkTable();
    return c;
}

std::optional<LinkConstants> parseLinkConstants(std::string_view key, std::string_view table)
{
    const auto k = parseHex<6>(key);
    const auto t = parseHex<8>(table);
    if (!k || !t)
        return std::nullopt;
    return LinkConstants{*k, *t};
}

std::optional<LinkConstants> parseLinkOption(std::string_view text)
{
    const auto colon = text.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    return parseLinkConstants(text.substr(0, colon), text.substr(colon + 1));
}

std::string keyHex(const LinkConstants& c) { return toHex(c.key); }
std::string tableHex(const LinkConstants& c) { return toHex(c.table); }

LinkFileRead readLinkFile(const std::filesystem::path& dataDir)
{
    LinkFileRead result;
    const auto path = dataDir / kLinkFileName;
    const FileRead read = readRegularFile(path, 64 * 1024);
    if (read.status == FileRead::Status::Missing)
        return result;
    if (!read.ok()) {
        result.problem = readFailure(path, read);
        return result;
    }
    std::optional<std::string> key;
    std::optional<std::string> table;
    std::istringstream lines(read.bytes);
    std::string line;
    while (std::getline(lines, line)) {
        const auto equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        const std::string name = trimmed(std::string_view(line).substr(0, equals));
        const std::string value = trimmed(std::string_view(line).substr(equals + 1));
        if (strcasecmp(name.c_str(), "Key") == 0 && !key)
            key = value;
        else if (strcasecmp(name.c_str(), "Table") == 0 && !table)
            table = value;
    }
    const auto parsed = key && table ? parseLinkConstants(*key, *table) : std::nullopt;
    if (!parsed) {
        result.problem = Failure{FailureCode::LinkFileUnusable, path.string(), {}};
        return result;
    }
    result.constants = *parsed;
    result.fromFile = true;
    return result;
}

Problem writeLinkFile(const std::filesystem::path& dataDir, const LinkConstants& c)
{
    const auto path = dataDir / kLinkFileName;
    const std::string text = "[Link]\nKey=" + keyHex(c) + "\nTable=" + tableHex(c) + "\n";
    if (const int error = replaceFileAtomically(path, text.data(), text.size()))
        return Failure{FailureCode::FileNotWritten, path.string(), {}, error};
    return std::nullopt;
}

Problem removeLinkFile(const std::filesystem::path& dataDir)
{
    const auto path = dataDir / kLinkFileName;
    std::error_code ec;
    if (std::filesystem::remove(path, ec); ec)
        return Failure{FailureCode::FileNotRemoved, path.string(), {}, ec.value()};
    return std::nullopt;
}

} // namespace varcel
