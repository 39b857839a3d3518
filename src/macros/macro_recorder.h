// Recording a macro from the keyboard: "Start Recording" empties the event
// list of the selected macro, then every key the user presses or releases
// while the window has the focus is added by name, with a pause of 50 ms
// before every event after the first. Time is not measured; the user edits
// the pauses afterwards. Nothing is saved until "Confirm".
//
// The window installs the keyboard hook (an application-wide key event
// filter) through the callbacks and hands each key event to keyEvent().
#pragma once

#include "lang/language.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>

namespace varcel {

class MacroPage;
class Reporter;

class MacroRecorder {
public:
    enum class KeyAction { Press, Release };

    MacroRecorder(MacroPage& page, Language language, Reporter& reporter);

    // Installs the hook: returns 0, or the platform's error number when it
    // could not be installed. Unset counts as installed.
    std::function<int()> installHook;
    std::function<void()> removeHook;
    // Sets the main window's title.
    std::function<void(const std::string&)> setWindowTitle;

    void start();
    void stop();
    // Leaving the macro page ends a recording without a word.
    void leavePage();

    // A key event the hook saw, with the key's Linux evdev code and the
    // event's time in milliseconds (0 when the platform gives none).
    // Automatic repeats of a held key are dropped, releases included: those
    // flagged as repeats, a press of a key that is already down, and a
    // release followed by a press of the same key at the same time (the X
    // server repeats a key that way, and the flag is not always set).
    void keyEvent(std::uint32_t evdevCode, KeyAction action, bool autoRepeat, std::uint64_t time = 0);
    // The same with the key's name already known.
    void keyEventByName(const std::string& keyName, KeyAction action, bool autoRepeat, std::uint64_t time = 0);

    bool isHookInstalled() const { return m_hookInstalled; }
    // Set by the first successful start and never cleared while the program runs.
    bool hasRecorded() const { return m_recorded; }
    // The title set by the last start; the window keeps it after stopping.
    const std::optional<std::string>& windowTitle() const { return m_title; }

private:
    void unhook();
    // Removes the release just recorded when this press of the same key came
    // at its very time: the key never went up.
    bool takeBackRelease(const std::string& name, std::uint64_t time);

    struct Release {
        std::string name;
        std::uint64_t time = 0;
        std::size_t entries = 0; // the event list's length after it
    };

    MacroPage& m_page;
    Language m_language;
    Reporter& m_reporter;
    bool m_hookInstalled = false;
    bool m_recorded = false;
    bool m_firstEventDone = false;
    std::set<std::string> m_down;
    std::optional<Release> m_lastRelease;
    std::optional<std::string> m_title;
};

} // namespace varcel
