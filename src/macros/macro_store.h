// record.ini, the master copy of the user's macros: one section per macro, in
// macro-number order, each with "ItemCount" and "Item0", "Item1", … The device
// blocks are rebuilt from it, so the order of its sections decides which
// macro the mouse plays as macro 1 to 12.
//
// Every operation reads or writes the file; nothing is cached. A missing file
// is an empty store, and the first save creates it.
#pragma once

#include "platform/data_files.h"
#include "platform/file_read.h"
#include "platform/ini_file.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varcel {

struct StoredMacro {
    std::string name;
    std::vector<std::string> entries;
    // "ItemCount" as the file says it (0 when missing or not a number); a
    // hand-edited section may promise items it does not hold.
    std::int32_t itemCount = 0;
};

class MacroStore {
public:
    static constexpr const char* kItemCountKey = "ItemCount";

    explicit MacroStore(std::filesystem::path file) : m_path(std::move(file)) {}

    const std::filesystem::path& path() const { return m_path; }
    bool exists() const;

    // The macro names in file order. Windows reads the list into a buffer of
    // 255 characters and misses the names beyond it; we see them all. A name
    // that a hand-edited file repeats (in any letter case) is listed once,
    // because every read and write reaches only its first section; blank
    // names ("[]") cannot be addressed and are left out.
    std::vector<std::string> list() const;

    // The most entries a macro may hold. The mouse's block holds at most 63
    // events (126 entries with their pauses), so no macro the page can
    // confirm comes near it; it keeps a hand-edited file from costing more
    // than its size.
    static constexpr std::size_t kMostEntries = 4096;
    // Reading stops one past it, so a macro longer than that is seen to be.
    static constexpr std::size_t kMostEntriesRead = kMostEntries + 1;

    // The entries of a macro: "ItemCount" of them (missing or not a number: 0),
    // an absent item reading as an empty text. Items beyond the last "Item"
    // key the section holds are not invented, so a hand-edited count of a
    // billion does not make a billion empty entries, and at most
    // kMostEntriesRead are read.
    std::vector<std::string> load(std::string_view name) const;

    // Every listed macro with its entries, from one read of the file.
    std::vector<StoredMacro> loadAll() const;
    // The same, one macro at a time, until `take` returns false.
    void forEachMacro(const std::function<bool(StoredMacro&&)>& take) const;

    // Why record.ini is there but cannot be read (no permission, a folder, a
    // FIFO); nothing when it was read or is missing. Reading such a file
    // gives an empty store; writing it is refused.
    Problem problem() const;

    // Writes the macro's section with these entries, in its place: an edited
    // macro keeps its number, so a button bound to it keeps playing it and
    // its label stays true (Windows moved it last); a new macro goes last.
    // Comment lines in the section stay. Items of a longer earlier version
    // do not survive. Fails, leaving the file
    // unchanged, when it could not be read or written, or when the name or an
    // entry holds a line break (which the file cannot carry) or text that is
    // not UTF-8. Runs under the data folder's lock.
    FileResult save(std::string_view name, const std::vector<std::string>& entries) const;

    // Removes the macro's section; the macros after it move up one number.
    FileResult remove(std::string_view name) const;

    // From now on saves and removals change a copy held in memory, which
    // every read sees, instead of the file: the caller writes it together
    // with the other files it changes (heldBytes), then lets go of it.
    void holdChanges() { m_holding = true; }
    // The file as the held changes make it; nothing when none were made.
    std::optional<std::string> heldBytes() const;
    void dropHeldChanges() { m_held.reset(); }

private:
    FileResult change(const std::function<bool(IniFile&)>& edit) const;
    static std::vector<std::string> listOf(const IniFile& ini);
    using Keys = std::vector<std::pair<std::string, std::string>>;
    using SectionVisit = std::function<bool(const std::string& name, const Keys& keys)>;
    // Each macro's section (the first of each name, blank names left out)
    // with its key lines, held or read a section at a time, until `visit`
    // returns false; only what a caller uses of a section is made of it.
    void forEachSection(const SectionVisit& visit) const;
    static StoredMacro macroOf(std::string name, const Keys& keys);

    std::filesystem::path m_path;
    bool m_holding = false;
    mutable std::shared_ptr<IniFile> m_held;
};

} // namespace varcel
