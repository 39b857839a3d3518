#include "device/link_constants.h"

#include "device/trace.h"
#include "platform/atomic_file.h"
#include "platform/file_read.h"

#include <charconv>
#include <cstring>
#include <sstream>

namespace varcel {

namespace {

template <std::size_t N>
std::optional<std::array<std::uint8_t, N>> parseHex(std::string_view text)
{
    if (text.size() != 2 * N)
        return std::nullopt;
    std::array<std::uint8_t, N> bytes{};
    for (std::size_t i = 0; i < N; ++i) {
        const char* pair = text.data() + 2 * i;
        if (std::from_chars(pair, pair + 2, bytes[i], 16).ptr != pair + 2)
            return std::nullopt;
    }
    return bytes;
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

std::string keyHex(const LinkConstants& c) { return hexBytes(c.key, ""); }
std::string tableHex(const LinkConstants& c) { return hexBytes(c.table, ""); }

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
    return replaceFileWithText(dataDir / kLinkFileName, "[Link]\nKey=" + keyHex(c) + "\nTable=" + tableHex(c) + "\n");
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
