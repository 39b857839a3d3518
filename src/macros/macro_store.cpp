#include "macros/macro_store.h"

#include "macros/macro_entry.h"
#include "platform/file_read.h"
#include "platform/folder_lock.h"
#include "platform/ini_file.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <unordered_map>
#include <unordered_set>

namespace varcel {

namespace {

constexpr std::string_view kItemPrefix = "Item";

std::string itemKey(std::size_t index) { return std::string(kItemPrefix) + std::to_string(index); }

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

Problem MacroStore::problem() const
{
    const FileRead read = readRegularFile(m_path);
    if (read.ok() || read.status == FileRead::Status::Missing)
        return std::nullopt;
    return readFailure(m_path, read);
}

std::vector<std::string> MacroStore::listOf(const IniFile& ini)
{
    std::vector<std::string> names;
    std::unordered_set<std::string> seen;
    for (std::string& name : ini.sectionNames()) {
        if (name.empty())
            continue;
        if (seen.insert(foldedName(name)).second)
            names.push_back(std::move(name));
    }
    return names;
}

StoredMacro MacroStore::macroOf(std::string name, const Keys& keys)
{
    StoredMacro macro{std::move(name), {}, 0};
    const auto count = std::find_if(keys.begin(), keys.end(),
                                    [](const auto& key) { return equalsIgnoringCase(key.first, kItemCountKey); });
    macro.itemCount = count == keys.end() ? 0 : leadingInteger(count->second);
    if (macro.itemCount <= 0)
        return macro;
    // One pass over the section: the first key of each index wins, as a
    // lookup by name finds the first.
    std::unordered_map<std::size_t, const std::string*> items;
    std::size_t n = 0;
    const std::size_t limit = std::min<std::size_t>(static_cast<std::size_t>(macro.itemCount), kMostEntriesRead);
    for (const auto& [key, value] : keys) {
        const auto index = itemIndexOf(key);
        if (!index || *index >= limit)
            continue;
        if (items.emplace(*index, &value).second)
            n = std::max(n, *index + 1);
    }
    macro.entries.resize(n);
    for (const auto& [index, value] : items)
        macro.entries[index] = *value;
    return macro;
}

void MacroStore::forEachSection(const SectionVisit& visit) const
{
    if (m_held) {
        for (const std::string& name : listOf(*m_held))
            if (!visit(name, m_held->keyValues(name)))
                return;
        return;
    }
    // A record.ini is read a section at a time: a large hand-made file costs
    // its size in memory, not many times that in lines.
    const FileRead read = readRegularFile(m_path);
    if (!read.ok())
        return;
    std::unordered_set<std::string> seen;
    IniFile::forEachSection(read.bytes, [&](const std::string& name, const auto& keys) {
        // Every read and write reaches only the first section of a name.
        if (name.empty() || !seen.insert(foldedName(name)).second)
            return true;
        return visit(name, keys);
    });
}

void MacroStore::forEachMacro(const std::function<bool(StoredMacro&&)>& take) const
{
    forEachSection([&](const std::string& name, const Keys& keys) { return take(macroOf(name, keys)); });
}

std::vector<std::string> MacroStore::list() const
{
    std::vector<std::string> names;
    forEachSection([&](const std::string& name, const Keys&) {
        names.push_back(name);
        return true;
    });
    return names;
}

std::vector<std::string> MacroStore::load(std::string_view name) const
{
    std::vector<std::string> entries;
    forEachSection([&](const std::string& section, const Keys& keys) {
        if (!equalsIgnoringCase(section, name))
            return true;
        entries = macroOf(section, keys).entries;
        return false;
    });
    return entries;
}

std::vector<StoredMacro> MacroStore::loadAll() const
{
    std::vector<StoredMacro> macros;
    forEachMacro([&](StoredMacro&& macro) {
        macros.push_back(std::move(macro));
        return true;
    });
    return macros;
}

FileResult MacroStore::save(std::string_view name, const std::vector<std::string>& entries) const
{
    if (name.empty() || entries.size() > kMostEntries)
        return {Failure{FailureCode::TextNotStorable, m_path.string(), {}}};
    // One read and one atomic replace: a crash part-way never leaves the
    // macro half written, which would lose its tail.
    return change([&](IniFile& ini) {
        std::vector<std::pair<std::string, std::string>> keys;
        keys.reserve(entries.size() + 1);
        keys.emplace_back(kItemCountKey, std::to_string(entries.size()));
        for (std::size_t i = 0; i < entries.size(); ++i)
            keys.emplace_back(itemKey(i), entries[i]);
        ini.replaceSection(name, keys);
        return true;
    });
}

FileResult MacroStore::remove(std::string_view name) const
{
    return change([&](IniFile& ini) { return ini.removeSection(name); });
}

FileResult MacroStore::change(const std::function<bool(IniFile&)>& edit) const
{
    if (!m_holding)
        return updateIniFile(m_path, edit);
    if (!m_held) {
        IniRead read = IniFile::read(m_path);
        if (!read.mayReplace())
            return {read.problem};
        m_held = std::make_shared<IniFile>(std::move(read.file));
    }
    IniFile edited = *m_held;
    edit(edited);
    if (edited.refused())
        return {Failure{FailureCode::TextNotStorable, m_path.string(), {}}};
    *m_held = std::move(edited);
    return {};
}

std::optional<std::string> MacroStore::heldBytes() const
{
    if (!m_held)
        return std::nullopt;
    return m_held->toBytes();
}

} // namespace varcel
