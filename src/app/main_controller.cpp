#include "app/main_controller.h"

#include "device/apply_sequence.h"
#include "device/reporter.h"
#include "lang/device_messages.h"
#include "lang/dialog_strings.h"
#include "lang/ui_strings.h"

namespace varcel {

MainController::MainController(std::filesystem::path dataDir, HidBackend& backend, Reporter& reporter,
                               StatusSink& status, MainWindowView& view, Language language)
    : m_dataDir(std::move(dataDir)), m_reporter(reporter), m_view(view), m_language(language),
      m_config(m_dataDir, reporter), m_buttons(m_config.working(), m_labels, language, reporter),
      m_settings(m_config.working(), language, [this] { return m_session.commands().sensorType(); }),
      m_session(backend, reporter, status), m_macroStore(m_dataDir / MacroStore::kFileName),
      m_macroPage(m_macroStore, m_config.working(), language, reporter), m_recorder(m_macroPage, language, reporter)
{
    m_session.setOnGone([this] { hideWindow(); });
}

MainController::~MainController() { m_session.stop(); }

void MainController::startUp()
{
    m_session.start(uiString(m_language, UiString::MouseNotDetected));
    // Without the reader's wake-up or the hot-plug watch the program cannot
    // follow the mouse: start-up says so and stops there, the window empty.
    if (m_session.broken())
        return;
    if (!m_hotplugAvailable) {
        m_reporter.messageBox("RegisterDeviceNotification failed!!!", kAppTitle);
        return;
    }
    m_config.load();
    m_config.copyWorkingToSnapshot();
    tellFileProblem(readLabels(labelsPath(), m_language, m_labels, m_skin));
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
        if (m_config.firstRunFlag() == 0) {
            m_buttons.setFirstRunLabels();
            saveLabels();
        }
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
        m_pointer = std::make_unique<PointerPage>(m_config.working(), *m_pointerSettings, m_reporter);
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

bool MainController::saveLabels()
{
    const FileResult written = writeLabels(labelsPath(), m_language, m_labels);
    tellFileProblem(written);
    return static_cast<bool>(written);
}

void MainController::tellFileProblem(const FileResult& result)
{
    // Once per run: the file stays as it is, and every later save would say
    // the same again.
    if (result || m_fileProblemTold)
        return;
    m_fileProblemTold = true;
    m_reporter.messageBox(result.error, kAppTitle);
}

bool MainController::applyToMouse()
{
    if (!m_session.ready())
        return false;
    // A sensor record that could not be read when the page was built is
    // asked for again: the DPI codes depend on it.
    if (m_session.commands().sensorUnknown())
        m_session.commands().exchangeSensorRecord();
    const ApplyOutcome outcome =
        applyAndSave(m_session.link(), m_session.commands(), m_config, [this] { return saveLabels(); });
    if (!outcome.ran)
        return false;
    m_config.copyWorkingToSnapshot();
    // Only a page that has been shown has pointer settings to give.
    if (m_pointer)
        m_pointer->apply();
    // A file that could not be saved has its own message box already
    // (ConfigStore, saveLabels).
    if (!outcome.device.ok())
        m_reporter.messageBox(text::kApplyDidNotReachMouse(m_language), text::kWarning);
    return outcome.device.ok();
}

void MainController::ok()
{
    // The window stays open when the settings did not reach the mouse, so
    // the user can apply again.
    if (applyToMouse())
        hideWindow();
}

void MainController::apply() { applyToMouse(); }

void MainController::cancel()
{
    m_config.copySnapshotToWorking();
    m_rebuildPending = true;
    hideWindow();
}

void MainController::trayActivated()
{
    if (!m_session.ready()) {
        deviceStatus(StatusCode::NotDetected, 0);
        return;
    }
    if (m_rebuildPending) {
        m_rebuildPending = false;
        if (m_page == Page::Key) {
            // Labels come back as they were saved: Cancel drops unsaved ones too.
            readLabels(labelsPath(), m_language, m_labels, m_skin);
        }
        rebuildPage();
    } else if (!m_keyPageBuilt) {
        buildKeyPage();
    }
    m_view.showWindow();
}

void MainController::rebuildPage()
{
    const Page page = m_page;
    m_buttons.closeLists();
    m_settings.closeList();
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

void MainController::skinChosen(const std::string& name, TextColour colour)
{
    m_skin.path = name;
    m_skin.rColor = std::to_string(colour.r);
    m_skin.gColor = std::to_string(colour.g);
    m_skin.bColor = std::to_string(colour.b);
    tellFileProblem(writeSkinSettings(labelsPath(), name, colour));
    rebuildPage();
}

void MainController::deviceStatus(StatusCode code, int value)
{
    if (const auto balloon =
            balloonFor(code, value, m_language, m_config.working(), m_session.commands().sensorType()))
        m_view.showBalloon(*balloon);
}

void MainController::hotplug(const std::vector<HotplugEvent>& events) { m_session.handleHotplug(events); }

void MainController::exit() { m_session.stop(); }

} // namespace varcel
