#include "macros/macro_store.h"

#include "macros/macro_entry.h"
#include "platform/ini_file.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace varcel {

namespace {

constexpr std::string_view kItemPrefix = "Item";

std::string itemKey(std::size_t index)
{
    return std::string(kItemPrefix) + std::to_string(index);
}

// The index of an "Item%d" key, spelled as "%d" writes it (no sign, no
// leading zero), so that it is the key a lookup of that index finds.
std::optional<std::size_t> itemIndexOf(std::string_view key)
{
    if (key.size() <= kItemPrefix.size() || !equalsIgnoringCase(key.substr(0, kItemPrefix.size()), kItemPrefix))
        return std::nullopt;
    const std::string_view digits = key.substr(kItemPrefix.size());
    if (digits.size() > 9 || (digits.size() > 1 && digits[0] == '0'))
        return std::nullopt;
    std::size_t index = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        index = index * 10 + static_cast<std::size_t>(c - '0');
    }
    return index;
}

} // namespace

bool MacroStore::exists() const
{
    std::error_code ec;
    return std::filesystem::is_regular_file(m_path, ec);
}

std::vector<std::string> MacroStore::listOf(const IniFile& ini)
{
    std::vector<std::string> names;
    for (std::string& name : ini.sectionNames()) {
        if (name.empty())
            continue;
        const bool seen = std::any_of(names.begin(), names.end(),
                                      [&](const std::string& other) { return equalsIgnoringCase(name, other); });
        if (!seen)
            names.push_back(std::move(name));
    }
    return names;
}

std::vector<std::string> MacroStore::entriesOf(const IniFile& ini, std::string_view name)
{
    const std::int32_t count = leadingInteger(ini.string(name, kItemCountKey));
    if (count <= 0)
        return {};
    std::optional<std::size_t> highest;
    for (const std::string& key : ini.keyNames(name))
        if (const auto index = itemIndexOf(key); index && (!highest || *index > *highest))
            highest = index;
    const std::size_t n = std::min(static_cast<std::size_t>(count), highest ? *highest + 1 : 0);
    std::vector<std::string> entries;
    entries.reserve(n);
    for (std::size_t i = 0; i < n; ++i)
        entries.push_back(ini.string(name, itemKey(i)));
    return entries;
}

std::vector<std::string> MacroStore::list() const
{
    return exists() ? listOf(IniFile::load(m_path)) : std::vector<std::string>{};
}

std::vector<std::string> MacroStore::load(std::string_view name) const
{
    return exists() ? entriesOf(IniFile::load(m_path), name) : std::vector<std::string>{};
}

std::vector<StoredMacro> MacroStore::loadAll() const
{
    std::vector<StoredMacro> macros;
    if (!exists())
        return macros;
    const IniFile ini = IniFile::load(m_path);
    for (std::string& name : listOf(ini)) {
        std::vector<std::string> entries = entriesOf(ini, name);
        const std::int32_t count = leadingInteger(ini.string(name, kItemCountKey));
        macros.push_back({std::move(name), std::move(entries), count});
    }
    return macros;
}

bool MacroStore::save(std::string_view name, const std::vector<std::string>& entries) const
{
    // A line break would end the header or the item early and leave the file
    // holding keys the next read takes for something else.
    const auto breaksLine = [](std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; };
    if (name.empty() || breaksLine(name) || std::any_of(entries.begin(), entries.end(), breaksLine))
        return false;
    // One read and one atomic replace: a crash part-way never leaves the
    // macro half written, which would lose its tail.
    IniFile ini = IniFile::load(m_path);
    ini.removeSection(name);
    ini.setValue(name, kItemCountKey, std::to_string(entries.size()));
    for (std::size_t i = 0; i < entries.size(); ++i)
        ini.setValue(name, itemKey(i), entries[i]);
    return ini.save(m_path) == 0;
}

bool MacroStore::remove(std::string_view name) const
{
    if (!exists())
        return true;
    IniFile ini = IniFile::load(m_path);
    if (!ini.removeSection(name))
        return true;
    return ini.save(m_path) == 0;
}

} // namespace varcel
