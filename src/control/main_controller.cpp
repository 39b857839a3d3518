#include "control/main_controller.h"

#include "control/profile_library.h"
#include "lang/device_messages.h"
#include "lang/dialog_strings.h"
#include "lang/failure_texts.h"
#include "lang/ui_strings.h"
#include "platform/data_files.h"
#include "platform/reporter.h"

namespace varcel {

namespace {

// The window may leave any of the controller's news unheard.
void notify(const std::function<void()>& listener)
{
    if (listener)
        listener();
}

Balloon profileBalloon(const LangText& text, const std::string& name, Language language, bool warning = false)
{
    std::string words = text(language);
    words.replace(words.find("%s"), 2, name);
    return {words, warning ? "Warning" : "Info", 5000};
}

} // namespace

MainController::MainController(std::filesystem::path dataDir, HidBackend& backend, Reporter& reporter,
                               StatusSink& status, MainWindowView& view, Language language)
    : m_dataDir(std::move(dataDir)), m_reporter(reporter), m_view(view), m_language(language),
      m_workspace(m_dataDir, reporter, language),
      m_buttons(m_workspace.config().working(), m_workspace.labels(), language, reporter),
      m_settings(m_workspace.config().working(), language, [this] { return m_session.commands().sensorType(); }),
      m_session(backend, reporter, status),
      m_macroPage(m_workspace.macros(), m_workspace.config().working(), language, reporter),
      m_recorder(m_macroPage, language, reporter)
{
    m_session.setOnGone([this] { hideWindow(); });
}

MainController::~MainController() { m_session.stop(); }

void MainController::startUp()
{
    m_session.start(uiString(m_language, UiString::MouseNotDetected), text::kLinkConstantsDiffer(m_language));
    // Without the reader's wake-up or the hot-plug watch the program cannot
    // follow the mouse: start-up says so and stops there, the window empty.
    if (m_session.broken())
        return;
    if (!m_hotplugAvailable) {
        m_reporter.messageBox("RegisterDeviceNotification failed!!!", kAppTitle);
        return;
    }
    // A config.bin that is missing has had its message box, one that is not
    // a configuration is passed over; one that cannot be read is told. The
    // window then shows the image it starts with.
    if (const Problem problem = m_workspace.loadConfig(false))
        m_reporter.messageBox(failureText(*problem, m_language), kAppTitle);
    m_workspace.config().copyWorkingToSnapshot();
    tellFileProblem(m_workspace.loadLabels());
    if (m_session.ready())
        buildKeyPage();
}

void MainController::buildKeyPage()
{
    if (m_page == Page::Key)
        return;
    const Page leaving = m_page;
    m_page = Page::Key;
    if (leaving == Page::Advanced)
        leaveAdvancedPage();
    if (leaving != Page::None)
        m_view.tearDownPage(leaving);
    if (!m_keyPageBuilt) {
        if (m_session.ready())
            m_session.commands().exchangeSensorRecord();
        if (m_workspace.setFirstRunLabels())
            tellFileProblem(m_workspace.save(kSaveLabels));
        m_keyPageBuilt = true;
    }
    m_view.drawPage(Page::Key);
}

void MainController::buildAdvancedPage()
{
    if (m_page == Page::Advanced)
        return;
    const Page leaving = m_page;
    m_page = Page::Advanced;
    m_buttons.closeLists();
    m_settings.closeList();
    if (leaving != Page::None)
        m_view.tearDownPage(leaving);
    pointer().build();
    m_macroPage.build();
    m_view.drawPage(Page::Advanced);
}

PointerPage& MainController::pointer()
{
    if (!m_pointerSettings)
        m_pointerSettings = pickPointerSettings(m_dataDir);
    if (!m_pointer)
        m_pointer = std::make_unique<PointerPage>(m_workspace.config().working(), *m_pointerSettings, m_reporter);
    return *m_pointer;
}

void MainController::usePointerSettings(std::unique_ptr<PointerSettings> settings)
{
    m_pointer.reset();
    m_pointerSettings = std::move(settings);
}

void MainController::leaveAdvancedPage()
{
    m_recorder.leavePage();
    m_macroPage.closeMouseEventList();
}

void MainController::hideWindow()
{
    m_recorder.leavePage();
    m_view.hideWindow();
}

void MainController::windowHidden() { m_recorder.leavePage(); }

void MainController::tellFileProblem(const Problem& problem)
{
    if (problem)
        tellOnce(failureText(*problem, m_language));
}

void MainController::tellOnce(const std::string& text)
{
    // Once per run: the file stays as it is, and every later save would say
    // the same again.
    if (m_fileProblemTold)
        return;
    m_fileProblemTold = true;
    m_reporter.messageBox(text, kAppTitle);
}

bool MainController::applyToMouse(const Profile* profile, const Workspace::ImportedWith& alsoWritten)
{
    if (!m_session.ready())
        return false;
    // A file changed elsewhere and not yet taken is never saved over unseen.
    filesChanged();
    const ApplyReport report = profile ? m_workspace.applyProfile(m_session, *profile, alsoWritten) : m_workspace.apply(m_session);
    if (!report.ran) {
        tellFileProblem(report.saved);
        return false;
    }
    // Only a page that has been shown has pointer settings to give.
    if (m_pointer)
        m_pointer->apply();
    tellFileProblem(report.saved);
    notify(onFilesChanged);
    if (!report.device.ok())
        m_reporter.messageBox(std::string(text::kApplyDidNotReachMouse(m_language)) + "\n\n" +
                                  deviceProblemsText(report.device, m_language),
                              text::kWarning);
    return report.device.ok();
}

void MainController::ok()
{
    // The window stays open when the settings did not reach the mouse, so
    // the user can apply again.
    if (applyToMouse())
        hideWindow();
    notify(onEditsSettled);
}

void MainController::apply()
{
    applyToMouse();
    notify(onEditsSettled);
}

void MainController::cancel()
{
    m_workspace.config().copySnapshotToWorking();
    m_rebuildPending = true;
    hideWindow();
    notify(onEditsSettled);
}

void MainController::trayActivated()
{
    if (!m_session.ready()) {
        deviceStatus(StatusCode::NotDetected, 0);
        return;
    }
    if (m_rebuildPending) {
        m_rebuildPending = false;
        // Labels come back as they were saved, whichever page Cancel was
        // pressed on: Cancel drops unsaved ones too.
        m_workspace.loadLabels();
        rebuildPage();
    } else if (!m_keyPageBuilt) {
        buildKeyPage();
    }
    m_view.showWindow();
}

void MainController::rebuildPage(bool keepMacroPage)
{
    const Page page = m_page;
    m_buttons.closeLists();
    m_settings.closeList();
    if (page == Page::Advanced && keepMacroPage) {
        m_view.tearDownPage(page);
        pointer().build();
        m_view.drawPage(page);
        return;
    }
    if (page == Page::Advanced)
        leaveAdvancedPage();
    if (page != Page::None)
        m_view.tearDownPage(page);
    // The builders do nothing for the page that is current.
    m_page = Page::None;
    if (page == Page::Advanced)
        buildAdvancedPage();
    else if (page == Page::Key)
        buildKeyPage();
}

bool MainController::hasUnsavedEdits() const
{
    if (m_workspace.hasUnsavedEdits())
        return true;
    return m_page == Page::Advanced && (m_recorder.isHookInstalled() || m_macroPage.hasUnconfirmedEdits());
}

void MainController::skinChosen(const std::string& name, TextColour colour)
{
    // A change another program made is taken (or asked about) first: the
    // write below counts as this program's own, and the file's watch must
    // not take it for another program's, nor ask about the unsaved edits.
    filesChanged();
    m_workspace.skin() = skinSettingsOf(name, colour);
    tellFileProblem(m_workspace.save(kSaveSkin));
    rebuildPage();
}

void MainController::deviceStatus(StatusCode code, int value)
{
    if (const auto balloon =
            balloonFor(code, value, m_language, m_workspace.config().working(), m_session.commands().sensorType()))
        m_view.showBalloon(*balloon);
    if (onStatus)
        onStatus(code, value);
}

void MainController::filesChanged()
{
    // One question at a time: the watch may see the same change again
    // while the user is being asked.
    if (m_askingAboutFiles)
        return;
    const DiskChanges changes = m_workspace.changedOnDisk();
    if (!changes.any())
        return;
    bool keep = hasUnsavedEdits();
    if (keep) {
        std::string question = text::kFileChangedKeepEdits(m_language);
        const std::string file = (m_dataDir / (changes.config ? kConfigFileName : kLabelsFileName)).string();
        question.replace(question.find("%s"), 2, file);
        m_askingAboutFiles = true;
        keep = m_view.keepEdits(question, text::kKeepMyChanges(m_language), text::kTakeTheFile(m_language));
        m_askingAboutFiles = false;
    }
    if (const Problem problem = m_workspace.takeChangedFiles(keep)) {
        tellFileProblem(problem);
        return;
    }
    if (m_page != Page::None)
        rebuildPage(keep);
    notify(onFilesChanged);
}

void MainController::hotplug(const std::vector<HotplugEvent>& events) { m_session.handleHotplug(events); }

void MainController::exit() { m_session.stop(); }

std::vector<MainController::ProfileEntry> MainController::profileMenu() const
{
    const ProfileLibrary library(m_dataDir);
    const std::string active = library.active(m_workspace).name;
    std::vector<ProfileEntry> entries;
    for (std::string& name : library.names())
        entries.push_back({name, name == active});
    return entries;
}

MainController::ProfileSwitch MainController::switchProfile(const std::string& name)
{
    if (!m_session.ready()) {
        deviceStatus(StatusCode::NotDetected, 0);
        return ProfileSwitch::NoMouse;
    }
    // The user's edits are never dropped by a switch they did not ask for.
    filesChanged();
    if (hasUnsavedEdits()) {
        m_view.showBalloon(profileBalloon(text::kProfileSwitchWaits, name, m_language, true));
        return ProfileSwitch::UnsavedEdits;
    }
    ProfileLibrary library(m_dataDir);
    Problem problem;
    const std::optional<Profile> profile = library.read(m_workspace, name, problem);
    if (!profile) {
        warn(failureText(*problem, m_language));
        return ProfileSwitch::Unread;
    }
    // The marker goes with the files: a kill never leaves it naming another profile.
    const bool sent = applyToMouse(&*profile, [&](const Profile& imported, bool reachedMouse) {
        return std::vector<AlsoWritten>{library.activeMarker(name, imported, reachedMouse)};
    });
    if (m_page != Page::None)
        rebuildPage();
    notify(onFilesChanged);
    if (!sent)
        return ProfileSwitch::Failed;
    m_view.showBalloon(profileBalloon(text::kSwitchedToProfile, name, m_language));
    return ProfileSwitch::Done;
}

void MainController::warn(const std::string& words) { m_view.showBalloon({words, "Warning", 5000}); }

bool MainController::saveNewProfile(const std::string& name)
{
    ProfileLibrary library(m_dataDir);
    std::vector<std::string> replaced;
    if (const Problem problem = library.save(m_workspace, name, true, &replaced)) {
        warn(failureText(*problem, m_language));
        return false;
    }
    Balloon saved = profileBalloon(text::kProfileSaved, name, m_language, !replaced.empty());
    if (!replaced.empty())
        saved.text += std::string("\n") + text::kTextsNotUtf8Replaced(m_language);
    m_view.showBalloon(saved);
    notify(onFilesChanged);
    return true;
}

} // namespace varcel
