// The user's data folder and the mouse, as both programs use them: the files
// are loaded, edited through the models, saved as one transaction (every file
// or none, even when the program is killed half way), and applied to the
// mouse by one sequence with one sensor rule. The window's controller and
// every varcelctl command go through here, so an Apply, a save or an import
// behaves the same wherever it starts.
#pragma once

#include "buttons/button_labels.h"
#include "buttons/labels_file.h"
#include "control/profile.h"
#include "device/config_store.h"
#include "device/device_commands.h"
#include "lang/language.h"
#include "macros/macro_store.h"
#include "platform/failure.h"
#include "platform/file_stamp.h"
#include "platform/folder_lock.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace varcel {

class DeviceSession;
class Reporter;

// The files a save writes, or-ed together.
enum SaveFile : unsigned {
    kSaveConfig = 1, // config.bin, with first-run flag 1
    kSaveLabels = 2, // the labels of the workspace's language in str.ini
    kSaveMacros = 4, // record.ini as the macro saves held since the last save make it
    kSaveSkin = 8,   // the "Skins" section of str.ini as skin() holds it
};

// The files another program changed since this workspace read or wrote them.
struct DiskChanges {
    bool config = false;
    bool labels = false;
    bool any() const { return config || labels; }
};

// How an apply went.
struct ApplyReport {
    bool ran = false;    // false: no accepted mouse; nothing was sent or saved
    DeviceResult device; // what did not reach the mouse
    Problem saved;       // the save after it, which happens whatever the mouse did
    bool ok() const { return ran && device.ok() && !saved; }
    // The first thing the user must hear: not sent, not saved, or not all sent.
    Problem failure(Language language) const;
};

// A file written in the same transaction as a profile's import: the marker
// of the active profile, which must never name one profile while the files
// hold another.
struct AlsoWritten {
    std::filesystem::path path;
    std::string text;
};

class Workspace {
public:
    Workspace(std::filesystem::path dataDir, Reporter& reporter, Language language);

    const std::filesystem::path& dataDir() const { return m_dataDir; }
    Language language() const { return m_language; }

    // Holds the data folder's lock until unlock() or the end: a command's
    // reads and writes are then never mixed with another program's. The
    // window takes it only around each save instead.
    Problem lock();
    void unlock() { m_lock.reset(); }

    // config.bin into the working image and the snapshot. A missing or
    // unusable file is a failure when `required`, which every command that
    // saves must ask for; the image then stays as it was.
    Problem loadConfig(bool required = true);
    // The labels of the workspace's language and the skin settings of
    // str.ini. A file that is there but cannot be read is a failure and is
    // never saved over.
    Problem loadLabels();
    // record.ini, when it is there but cannot be read, is a failure: taken as
    // empty, it would be saved over.
    Problem checkMacros() const;

    ConfigStore& config() { return m_config; }
    const ConfigStore& config() const { return m_config; }
    ButtonLabels& labels() { return m_labels; }
    SkinSettings& skin() { return m_skin; }
    // The macro store; its saves are held for the next save() of All.
    MacroStore& macros() { return m_macros; }
    std::filesystem::path labelsPath() const { return m_dataDir / kLabelsFileName; }

    // A config.bin that no Varcel has saved yet (first-run flag 0) gets the
    // default labels, as the key page's first display has always given them.
    // They are saved with the next save. Returns whether it set them.
    bool setFirstRunLabels();

    // Writes the files asked for in one transaction. config.bin must be there
    // already (the program never creates it) and readable to be written.
    Problem save(unsigned files = kSaveConfig | kSaveLabels);

    // The sensor rule of every apply: the sensor record is exchanged unless
    // this connection already has it. Returns the sensor type (0, the
    // window's list before it has met a mouse, when the mouse did not answer).
    std::uint8_t learnSensor(DeviceSession& session);

    // The apply of OK and Apply, the same for every caller. The sensor
    // record is exchanged first unless this connection already has it (the
    // DPI codes depend on it); when it does not come, everything else is
    // still sent and the DPI stages are reported as not sent. Without an
    // accepted mouse nothing is sent or saved. Otherwise config.bin and the
    // labels are saved whatever the mouse did, so the user's choices are kept
    // for the next Apply, and the snapshot becomes the working image.
    ApplyReport apply(DeviceSession& session);

    // The whole data folder as a profile; a file that cannot be read is a failure.
    std::optional<Profile> exportProfile(Problem& problem) const;
    // Checks a profile's text; nothing is changed when it has a problem.
    std::optional<Profile> readProfileText(std::string_view text, Problem& problem) const;
    // Replaces config.bin, the labels of every language and record.ini by the
    // profile's, in one transaction with `alsoWritten`, and loads them.
    Problem importProfile(const Profile& profile, const std::vector<AlsoWritten>& alsoWritten = {});

    // A profile switched to: sent to the mouse first, so that it holds the
    // profile without waiting for the files, then imported as applied
    // (config.bin with its first-run flag set). Every file is checked before
    // anything is sent; only a failing disk can leave the files behind the
    // mouse, and the report then says so.
    // `alsoWritten` gives the files written with the import, once it is
    // known what is imported and whether it all reached the mouse.
    using ImportedWith = std::function<std::vector<AlsoWritten>(const Profile& imported, bool reachedMouse)>;
    ApplyReport applyProfile(DeviceSession& session, const Profile& profile, const ImportedWith& alsoWritten = {});

    // What changed on disk since the files were last read or written here.
    DiskChanges changedOnDisk() const;
    // The image or the labels hold changes not yet saved (or applied).
    bool hasUnsavedEdits() const;
    // Takes config.bin and the labels as another program left them. With
    // `keepEdits`, each setting and label changed here and not yet saved
    // keeps its value here (a button, a macro block, the lighting effect or
    // a colour as a whole), and everything else takes the file's; otherwise
    // everything takes the file's. (record.ini needs no taking: the macro
    // store reads it afresh at every use.)
    Problem takeChangedFiles(bool keepEdits);

    // Lets a test stop a save after any of its steps, as a crash would.
    std::function<bool(int step)> afterSaveStep;

private:
    Problem configReplaceable() const;
    // A file a save would replace that changed since it was read here.
    Problem changedSinceRead(unsigned files) const;
    void rememberSaved(unsigned files);

    std::filesystem::path m_dataDir;
    Reporter& m_reporter;
    Language m_language;
    std::unique_ptr<FolderLock> m_lock;
    ConfigStore m_config;
    ButtonLabels m_labels{};
    SkinSettings m_skin;
    MacroStore m_macros;
    // What was read or written last, to find the changes of other programs.
    ButtonLabels m_labelsRead{};
    std::optional<FileStamp> m_configStamp;
    std::optional<FileStamp> m_labelsStamp;
};

} // namespace varcel
