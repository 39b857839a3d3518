#include "control/workspace.h"

#include "buttons/button_model.h"
#include "buttons/labels_file.h"
#include "device/device_session.h"
#include "device/hid_link.h"
#include "lang/failure_texts.h"
#include "lang/ui_strings.h"
#include "platform/file_read.h"
#include "platform/file_transaction.h"
#include "platform/ini_file.h"
#include "platform/reporter.h"

#include <set>
#include <stdexcept>

namespace varcel {

namespace {

// The folder's lock for one save. A lock the caller did not hold before (the
// window's) is let go after the save; a command's stays for the rest of the
// command.
struct SaveLock {
    Workspace& workspace;
    bool heldBefore;
    Problem problem; // from Workspace::lock(), taken after heldBefore was seen
    ~SaveLock()
    {
        if (!heldBefore && !problem)
            workspace.unlock();
    }
};

std::vector<std::uint8_t> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

} // namespace

Problem ApplyReport::failure(Language language) const
{
    if (!ran)
        return Failure{FailureCode::MouseNotAccepted, {}, {}};
    if (saved)
        return saved;
    if (!device.ok())
        return Failure{FailureCode::ApplyIncomplete, {}, deviceProblemsText(device, language)};
    return std::nullopt;
}

Workspace::Workspace(std::filesystem::path dataDir, Reporter& reporter, Language language)
    : m_dataDir(std::move(dataDir)), m_reporter(reporter), m_language(language), m_config(m_dataDir, reporter),
      m_macros(m_dataDir / kMacroFileName)
{}

Problem Workspace::lock()
{
    if (m_lock)
        return std::nullopt;
    m_lock = std::make_unique<FolderLock>(m_dataDir);
    Problem failure = lockFailure(*m_lock, m_dataDir);
    if (failure)
        m_lock.reset();
    return failure;
}

Problem Workspace::loadConfig(bool required)
{
    // Taken before the read: a change in between then shows as one.
    const FileStamp stamp = stampOf(m_config.path());
    const bool loaded = m_config.load();
    if (const Problem& problem = m_config.problem();
        problem && (required || problem->code != FailureCode::ConfigNotUsable))
        return problem;
    if (loaded) {
        m_configStamp = stamp;
        m_config.copyWorkingToSnapshot();
        return std::nullopt;
    }
    if (!required)
        return std::nullopt;
    return Failure{FailureCode::ConfigMissing, m_dataDir.string(), {}};
}

Problem Workspace::loadLabels()
{
    const FileStamp stamp = stampOf(labelsPath());
    if (const FileResult read = readLabels(labelsPath(), m_language, m_labels, m_skin); !read)
        return read.problem;
    m_labelsStamp = stamp;
    m_labelsRead = m_labels;
    return std::nullopt;
}

Problem Workspace::checkMacros() const { return m_macros.problem(); }

bool Workspace::setFirstRunLabels()
{
    if (m_config.firstRunFlag() != 0)
        return false;
    // The model only writes labels here; the image it is given is a copy.
    ConfigImage scratch = m_config.working();
    ButtonModel model(scratch, m_labels, m_language, m_reporter);
    model.setFirstRunLabels();
    return true;
}

Problem Workspace::configReplaceable() const
{
    // The program never creates config.bin, nor replaces one it may not read.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(m_config.path(), ec))
        return Failure{FailureCode::ConfigMissing, m_dataDir.string(), {}};
    if (const FileRead probe = readRegularFile(m_config.path(), kConfigFileSize);
        probe.status == FileRead::Status::Unreadable)
        return readFailure(m_config.path(), probe);
    return std::nullopt;
}

Problem Workspace::changedSinceRead(unsigned files) const
{
    if ((files & kSaveConfig) && m_configStamp && stampOf(m_config.path()) != *m_configStamp)
        return Failure{FailureCode::FileChangedOnDisk, m_config.path().string(), {}};
    if ((files & (kSaveLabels | kSaveSkin)) && m_labelsStamp && stampOf(labelsPath()) != *m_labelsStamp)
        return Failure{FailureCode::FileChangedOnDisk, labelsPath().string(), {}};
    return std::nullopt;
}

void Workspace::rememberSaved(unsigned files)
{
    if (files & kSaveConfig)
        m_configStamp = stampOf(m_config.path());
    // The skin alone leaves unsaved labels unsaved, but the file is this
    // program's own write all the same.
    if (files & (kSaveLabels | kSaveSkin))
        m_labelsStamp = stampOf(labelsPath());
    if (files & kSaveLabels)
        m_labelsRead = m_labels;
}

DiskChanges Workspace::changedOnDisk() const
{
    DiskChanges changes;
    changes.config = m_configStamp && stampOf(m_config.path()) != *m_configStamp;
    changes.labels = m_labelsStamp && stampOf(labelsPath()) != *m_labelsStamp;
    return changes;
}

bool Workspace::hasUnsavedEdits() const
{
    return m_config.working() != m_config.snapshot() || m_labels != m_labelsRead;
}

namespace {

// The bytes that only mean something together: a button's function is
// spread over the sixteen arrays of its layer (and its DPI-switch option), a
// macro block, the lighting effect with its parameters, a loop colour.
std::size_t mergeUnit(std::size_t offset)
{
    using namespace img;
    if (offset < kLayerB)
        return 1000 + (offset - kLayerA) % kButtonSlots;
    if (offset < kMacros)
        return 2000 + (offset - kLayerB) % kButtonSlots;
    if (offset < kSettings)
        return 3000 + (offset - kMacros) / kMacroBlockSize;
    if (offset >= kDpiSwitchA && offset < kDpiSwitchA + kButtonSlots)
        return 1000 + offset - kDpiSwitchA;
    if (offset >= kDpiSwitchB && offset < kDpiSwitchB + kButtonSlots)
        return 2000 + offset - kDpiSwitchB;
    if (offset >= kRgbMode && offset < kUnused7A2)
        return 4000;
    if (offset >= kLoopColours && offset < kLoopColours + 3 * kLoopColourCount)
        return 5000 + (offset - kLoopColours) / 3;
    return 10000 + offset;
}

} // namespace

Problem Workspace::takeChangedFiles(bool keepEdits)
{
    const ConfigImage edited = m_config.working();
    const ConfigImage base = m_config.snapshot();
    const ButtonLabels editedLabels = m_labels;
    const ButtonLabels labelsBase = m_labelsRead;
    if (Problem config = loadConfig())
        return config;
    if (Problem labels = loadLabels())
        return labels;
    if (!keepEdits)
        return std::nullopt;
    std::set<std::size_t> editedUnits;
    for (std::size_t i = 0; i < kImageSize; ++i)
        if (edited[i] != base[i])
            editedUnits.insert(mergeUnit(i));
    ConfigImage& working = m_config.working();
    for (std::size_t i = 0; i < kImageSize; ++i)
        if (editedUnits.count(mergeUnit(i)))
            working[i] = edited[i];
    for (std::size_t i = 0; i < m_labels.size(); ++i)
        if (editedLabels[i] != labelsBase[i])
            m_labels[i] = editedLabels[i];
    return std::nullopt;
}

Problem Workspace::save(unsigned files)
{
    const SaveLock saveLock{*this, m_lock != nullptr, lock()};
    if (saveLock.problem)
        return saveLock.problem;
    // Never over a file another program changed since it was read here
    // without the user having been asked.
    if (Problem changed = changedSinceRead(files))
        return changed;
    FileTransaction transaction(m_dataDir);
    if (files & kSaveConfig) {
        if (Problem config = configReplaceable())
            return config;
        transaction.add(m_config.path(), m_config.fileBytes());
    }
    // A str.ini that cannot be read is never saved over; config.bin is saved
    // all the same, so that it holds what the mouse was sent.
    Problem labelsProblem;
    if (files & (kSaveLabels | kSaveSkin)) {
        IniRead read = IniFile::read(labelsPath());
        if (files & kSaveLabels)
            setLabels(read.file, m_language, m_labels);
        if (files & kSaveSkin)
            setSkinSettings(read.file, m_skin);
        if (!read.mayReplace())
            labelsProblem = read.problem;
        else if (read.file.refused())
            return Failure{FailureCode::TextNotStorable, labelsPath().string(), {}};
        else
            transaction.add(labelsPath(), bytesOf(read.file.toBytes()));
    }
    if (files & kSaveMacros)
        if (const auto record = m_macros.heldBytes())
            transaction.add(m_macros.path(), bytesOf(*record));
    if (transaction.empty())
        return labelsProblem;

    std::string failedPath;
    if (const int error = transaction.commit(&failedPath, afterSaveStep))
        return Failure{FailureCode::FileNotWritten, failedPath, {}, error};
    if (files & kSaveConfig)
        m_config.markSaved();
    if (files & kSaveMacros)
        m_macros.dropHeldChanges();
    rememberSaved(labelsProblem ? files & ~unsigned{kSaveLabels | kSaveSkin} : files);
    return labelsProblem;
}

ApplyReport Workspace::apply(DeviceSession& session)
{
    ApplyReport report;
    HidLink& link = session.link();
    if (!link.ready())
        return report;
    report.ran = true;
    learnSensor(session);
    report.device = session.commands().applyConfiguration(m_config.working());
    report.saved = save(kSaveConfig | kSaveLabels);
    if (!report.saved)
        m_config.copyWorkingToSnapshot();
    return report;
}

ApplyReport Workspace::applyProfile(DeviceSession& session, const Profile& profile, const ImportedWith& alsoWritten)
{
    ApplyReport report;
    if (!session.link().ready())
        return report;
    report.ran = true;
    {
        const SaveLock saveLock{*this, m_lock != nullptr, lock()};
        if ((report.saved = saveLock.problem))
            return report;
        if (!(report.saved = configReplaceable()) && !(report.saved = checkMacros()))
            report.saved = profileFiles(m_dataDir, profile).problem;
        if (report.saved) {
            report.ran = false; // nothing sent: the files could not take the profile
            return report;
        }
    }
    learnSensor(session);
    report.device = session.commands().applyConfiguration(profile.image);
    Profile applied = profile;
    applied.firstRunFlag = 1;
    report.saved =
        importProfile(applied, alsoWritten ? alsoWritten(applied, report.device.ok()) : std::vector<AlsoWritten>{});
    return report;
}

std::uint8_t Workspace::learnSensor(DeviceSession& session)
{
    DeviceCommands& commands = session.commands();
    if (session.link().ready() && !commands.sensorKnown())
        commands.exchangeSensorRecord();
    return commands.sensorKnown() ? commands.sensorType() : 0;
}

std::optional<Profile> Workspace::exportProfile(Problem& problem) const { return readProfile(m_dataDir, problem); }

std::optional<Profile> Workspace::readProfileText(std::string_view text, Problem& problem) const
{
    std::vector<ProfileProblem> problems;
    Profile profile = profileFromText(text, problems);
    if (problems.empty())
        return profile;
    std::string lines;
    for (const ProfileProblem& p : problems)
        lines += p.path + " " + profileProblemText(p, m_language) + "\n";
    problem = Failure{FailureCode::ProfileInvalid, {}, lines};
    return std::nullopt;
}

Problem Workspace::importProfile(const Profile& profile, const std::vector<AlsoWritten>& alsoWritten)
{
    const SaveLock saveLock{*this, m_lock != nullptr, lock()};
    if (saveLock.problem)
        return saveLock.problem;
    // Every file is read first: one that cannot be read is never replaced.
    if (Problem config = configReplaceable())
        return config;
    if (Problem macros = checkMacros())
        return macros;
    ProfileFiles files = profileFiles(m_dataDir, profile);
    if (files.problem)
        return files.problem;
    FileTransaction transaction(m_dataDir);
    transaction.add(m_macros.path(), bytesOf(files.record));
    transaction.add(labelsPath(), bytesOf(files.labels));
    transaction.add(m_config.path(), bytesOf(files.config));
    for (const AlsoWritten& file : alsoWritten)
        transaction.add(file.path, bytesOf(file.text));
    std::string failedPath;
    if (const int error = transaction.commit(&failedPath, afterSaveStep))
        return Failure{FailureCode::FileNotWritten, failedPath, {}, error};
    m_macros.dropHeldChanges();
    if (Problem config = loadConfig())
        return config;
    return loadLabels();
}

} // namespace varcel
