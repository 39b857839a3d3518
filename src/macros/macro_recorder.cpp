#include "macros/macro_recorder.h"

#include "platform/reporter.h"
#include "lang/dialog_strings.h"
#include "lang/ui_strings.h"
#include "macros/macro_entry.h"
#include "macros/macro_page.h"
#include "platform/key_names.h"

#include <cstdio>

namespace varcel {

MacroRecorder::MacroRecorder(MacroPage& page, Language language, Reporter& reporter)
    : m_page(page), m_language(language), m_reporter(reporter)
{
}

void MacroRecorder::unhook()
{
    if (!m_hookInstalled)
        return;
    if (removeHook)
        removeHook();
    m_hookInstalled = false;
}

void MacroRecorder::start()
{
    if (m_page.macros().empty()) {
        m_reporter.messageBox(uiString(m_language, UiString::MacroNameIsBlank), text::kWarning);
        return;
    }
    m_reporter.messageBox(uiString(m_language, UiString::StartRecording), kAppTitle);
    unhook();
    m_page.clearEvents();
    if (const int error = installHook ? installHook() : 0; error != 0) {
        char message[96];
        std::snprintf(message, sizeof message, text::kRecordHookFailed, error);
        m_reporter.messageBox(message, kAppTitle);
        return;
    }
    m_hookInstalled = true;
    m_recorded = true;
    m_firstEventDone = false;
    m_title = uiString(m_language, UiString::PressCtrlBreakToStop);
    if (setWindowTitle)
        setWindowTitle(*m_title);
}

void MacroRecorder::stop()
{
    m_reporter.messageBox(uiString(m_language, UiString::StopRecording), kAppTitle);
    if (!m_recorded) {
        m_reporter.messageBox(uiString(m_language, UiString::NotRecording), text::kWarning);
        return;
    }
    unhook();
}

void MacroRecorder::leavePage()
{
    unhook();
}

void MacroRecorder::keyEvent(std::uint32_t evdevCode, KeyAction action, bool autoRepeat)
{
    keyEventByName(keyNameForEvdevCode(evdevCode), action, autoRepeat);
}

void MacroRecorder::keyEventByName(const std::string& keyName, KeyAction action, bool autoRepeat)
{
    if (!m_hookInstalled || autoRepeat || m_page.selectedMacro() == MacroPage::kNone)
        return;
    const std::string name = firstCharacters(keyName, kKeyNameLength);
    if (action == KeyAction::Press) {
        if (m_firstEventDone)
            m_page.appendEntry(pauseEntry(kDefaultPause));
        m_page.appendEntry(pressEntry(name));
        m_firstEventDone = true;
    } else {
        // A key held since before the start still gets its release, so the
        // list can begin with a pause.
        m_page.appendEntry(pauseEntry(kDefaultPause));
        m_page.appendEntry(releaseEntry(name));
    }
    m_page.selectEvent(static_cast<int>(m_page.events().size()) - 1);
}

} // namespace varcel
