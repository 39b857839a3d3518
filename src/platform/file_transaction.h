// Several files of the data folder replaced together: after a crash, a kill or
// a full disk the folder holds every old file or every new one, never a mix
// (a new record.ini beside an old config.bin would bind buttons to the wrong
// macros).
//
// Each new file is first written and synced beside the one it replaces. Only
// then a small journal naming the renames appears (atomically) in the data
// folder, the renames follow, and the journal goes. Whoever next takes the
// folder's lock finishes the renames of a journal it finds; without a journal
// the new files are leftovers and are removed, so the old set stays.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace varcel {

// The journal's name in the data folder.
inline constexpr const char* kSaveJournalName = ".varcel-save-journal";

class FileTransaction {
public:
    // `folder` holds the journal: the data folder, whose lock the caller holds.
    explicit FileTransaction(std::filesystem::path folder);

    // A file to replace whole. A link stays a link: the file it names is
    // replaced, in its own folder.
    void add(const std::filesystem::path& path, std::vector<std::uint8_t> bytes);
    // A file to remove with the others (a link itself, not what it names):
    // a copy of its bytes is written beside it first, so that whoever
    // finishes the save removes only the file the journal was written for.
    void remove(const std::filesystem::path& path);
    bool empty() const { return m_files.empty(); }

    // Writes every file or none. Returns 0 or the errno of the step that
    // failed, with `failedPath` naming its file; nothing was replaced then,
    // unless the file system refused a rename it had allowed a moment before.
    // afterStep, when set, is called after each step (a test kills or fails
    // the save there by returning false, which abandons it as a crash would:
    // without undoing anything).
    int commit(std::string* failedPath = nullptr, const std::function<bool(int step)>& afterStep = {});

private:
    struct Entry {
        std::filesystem::path target;
        std::vector<std::uint8_t> bytes;
        std::string temp;
        bool removal = false;
    };
    std::filesystem::path m_folder;
    std::vector<Entry> m_files;
};

// Completes the renames of a save that was stopped after its journal was
// written, and removes the journal. The caller holds the folder's lock.
// Returns how many files it put in place.
int finishInterruptedSave(const std::filesystem::path& folder);

} // namespace varcel
