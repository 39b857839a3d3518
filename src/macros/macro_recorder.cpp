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
    m_down.clear();
    m_lastRelease.reset();
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

void MacroRecorder::keyEvent(std::uint32_t evdevCode, KeyAction action, bool autoRepeat, std::uint64_t time)
{
    keyEventByName(readableKeyName(evdevCode), action, autoRepeat, time);
}

bool MacroRecorder::takeBackRelease(const std::string& name, std::uint64_t time)
{
    if (time == 0 || !m_lastRelease || m_lastRelease->name != name || m_lastRelease->time != time ||
        m_page.events().size() != m_lastRelease->entries)
        return false;
    // The release went in with its pause.
    for (int entry = 0; entry < 2; ++entry) {
        m_page.selectEvent(static_cast<int>(m_page.events().size()) - 1);
        m_page.deleteEvent();
    }
    m_lastRelease.reset();
    m_down.insert(name);
    return true;
}

void MacroRecorder::keyEventByName(const std::string& keyName, KeyAction action, bool autoRepeat,
                                   std::uint64_t time)
{
    if (!m_hookInstalled || autoRepeat || m_page.selectedMacro() == MacroPage::kNone)
        return;
    const std::string name = firstCharacters(keyName, kKeyNameLength);
    if (action == KeyAction::Press) {
        if (m_down.count(name) > 0 || takeBackRelease(name, time)) {
            m_page.selectEvent(static_cast<int>(m_page.events().size()) - 1);
            return;
        }
        m_down.insert(name);
        if (m_firstEventDone)
            m_page.appendEntry(pauseEntry(kDefaultPause));
        m_page.appendEntry(pressEntry(name));
        m_firstEventDone = true;
    } else {
        // A key held since before the start still gets its release, so the
        // list can begin with a pause.
        m_down.erase(name);
        m_page.appendEntry(pauseEntry(kDefaultPause));
        m_page.appendEntry(releaseEntry(name));
        m_lastRelease = Release{name, time, m_page.events().size()};
    }
    m_page.selectEvent(static_cast<int>(m_page.events().size()) - 1);
}

} // namespace varcel
