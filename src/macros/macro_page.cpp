#include "macros/macro_page.h"

#include "platform/reporter.h"
#include "lang/dialog_strings.h"
#include "lang/ui_strings.h"
#include "macros/delay_time.h"
#include "macros/macro_encoder.h"
#include "macros/macro_entry.h"
#include "macros/macro_store.h"
#include "macros/macro_texts.h"
#include "platform/ini_file.h"

#include <algorithm>

namespace varcel {

namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kClick = " Click";

std::string_view trimBlanks(std::string_view text)
{
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

std::string replaceFirst(std::string text, std::string_view part, std::string_view with)
{
    if (const auto at = text.find(part); at != std::string::npos)
        text.replace(at, part.size(), with);
    return text;
}

std::string joined(const std::vector<std::string>& names)
{
    std::string out;
    for (const std::string& name : names)
        out += (out.empty() ? "" : ", ") + name;
    return out;
}

} // namespace

bool isStorableMacroName(std::string_view name)
{
    if (name.empty() || trimBlanks(name).size() != name.size())
        return false;
    return std::none_of(name.begin(), name.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return c == '[' || c == ']' || c == '=' || u < 0x20 || u == 0x7F;
    });
}

MacroPage::MacroPage(const MacroStore& store, ConfigImage& image, Language language, Reporter& reporter)
    : m_store(store), m_image(image), m_language(language), m_reporter(reporter)
{
}

void MacroPage::report(const std::string& text, const char* caption) const
{
    m_reporter.messageBox(text, caption);
}

std::size_t MacroPage::selectedBlock() const
{
    if (m_selectedMacro < 0 || static_cast<std::size_t>(m_selectedMacro) >= kMacroCount)
        return 0;
    return static_cast<std::size_t>(m_selectedMacro) + 1;
}

void MacroPage::build()
{
    m_macros = m_store.list();
    m_selectedMacro = kNone;
    m_events.clear();
    m_selectedEvent = kNone;
    m_name.clear();
    m_insertFace.clear();
    m_mouseListOpen = false;
    m_hoveredMouseEvent = kNone;
    if (!m_macros.empty()) {
        m_name = m_macros.front();
        m_events = m_store.load(m_macros.front());
        m_selectedMacro = 0;
    }
    m_storedEvents = m_events;
    m_newMacros.clear();
    // Setting the field is a change like any other: a block whose loop count
    // is 0 shows "1" at once and gets 1.
    setLoopText(m_macros.empty() ? std::string() : std::to_string(loopCount(m_image, 1)));
}

void MacroPage::selectMacro(int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_macros.size())
        return;
    m_selectedMacro = index;
    m_name = m_macros[static_cast<std::size_t>(index)];
    m_events = m_store.load(m_name);
    m_storedEvents = m_events;
    m_selectedEvent = kNone;
    // An empty macro keeps the loop field as it was: its block may not be
    // its own yet.
    if (!m_events.empty() && selectedBlock() != 0)
        setLoopText(std::to_string(loopCount(m_image, selectedBlock())));
}

bool MacroPage::setNameText(std::string_view text)
{
    m_name = firstCharacters(text, kMacroNameLength);
    return m_name.size() == text.size();
}

void MacroPage::setLoopText(std::string_view text)
{
    int value = leadingInteger(text);
    m_loop = std::string(text);
    if (value < kLowestLoopCount || value > kHighestLoopCount) {
        value = kLowestLoopCount;
        m_loop = std::to_string(value);
    }
    if (const std::size_t block = selectedBlock(); block != 0)
        setLoopCount(m_image, block, static_cast<std::uint16_t>(value));
}

bool MacroPage::newMacro()
{
    const std::string name(trimBlanks(m_name));
    if (name.empty()) {
        report(uiString(m_language, UiString::MacroNameIsBlank), kAppTitle);
        return false;
    }
    if (m_macros.size() >= kMacroCount) {
        report(text::kMacroLimit, text::kWarning);
        return false;
    }
    // A name the header line cannot carry would come back from record.ini as
    // another name (or none), and the macro would be lost.
    if (!isStorableMacroName(name)) {
        report(text::kMacroNameInvalid(m_language), kAppTitle);
        return false;
    }
    const bool taken = std::any_of(m_macros.begin(), m_macros.end(),
                                   [&](const std::string& other) { return equalsIgnoringCase(other, name); });
    if (taken) {
        report(uiString(m_language, UiString::MacroNameAlreadyExists), kAppTitle);
        return false;
    }
    m_macros.push_back(name);
    m_newMacros.push_back(name);
    m_events.clear();
    m_storedEvents.clear();
    m_selectedEvent = kNone;
    m_selectedMacro = static_cast<int>(m_macros.size()) - 1;
    return true;
}

void MacroPage::deleteMacro()
{
    if (m_selectedMacro < 0 || static_cast<std::size_t>(m_selectedMacro) >= m_macros.size())
        return;
    const std::string name = m_macros[static_cast<std::size_t>(m_selectedMacro)];
    if (!m_store.remove(name)) {
        report(text::kMacroDeleteFailed(m_language), text::kWarning);
        return;
    }
    std::erase(m_newMacros, name);
    m_macros.erase(m_macros.begin() + m_selectedMacro);
    m_selectedMacro = kNone;
    m_events.clear();
    m_storedEvents.clear();
    m_selectedEvent = kNone;
    m_name.clear();
}

bool MacroPage::confirm()
{
    if (m_selectedMacro < 0 || static_cast<std::size_t>(m_selectedMacro) >= m_macros.size())
        return false;
    // Saving a macro the block cannot hold would leave the mouse playing a
    // cut-off copy (a press without its release) with no word to the user.
    const MacroFit fit = measureMacro(m_events);
    if (!fit.fits()) {
        const std::string fitted = std::to_string(fit.eventsThatFit);
        report(text::fillIn(text::kMacroTooLong(m_language), {fitted, std::to_string(fit.events)}), text::kWarning);
        return false;
    }
    const std::string& name = m_macros[static_cast<std::size_t>(m_selectedMacro)];
    if (!m_store.save(name, m_events)) {
        report(text::kMacroSaveFailed(m_language), text::kWarning);
        return false;
    }
    m_storedEvents = m_events;
    std::erase(m_newMacros, name);
    const EncodeOutcome outcome = encodeAllMacros(m_store, m_image);
    // A new macro's block held no loop count yet: the mouse gets the count
    // the loop field shows, as it would after the user typed it.
    if (const std::size_t block = selectedBlock(); block != 0 && !m_events.empty() && loopCount(m_image, block) == 0)
        setLoopText(m_loop);
    if (!outcome.ignored.empty())
        report(text::fillIn(text::kMacrosIgnored(m_language), {joined(outcome.ignored)}), text::kWarning);
    for (const EncodeOutcome::Cut& cut : outcome.cut)
        report(text::fillIn(text::kMacroCut(m_language),
                            {cut.name, std::to_string(cut.written), std::to_string(cut.events)}),
               text::kWarning);
    return true;
}

void MacroPage::toggleMouseEventList()
{
    m_mouseListOpen = !m_mouseListOpen;
    m_hoveredMouseEvent = kNone;
}

void MacroPage::hoverMouseEvent(int row)
{
    if (m_mouseListOpen)
        m_hoveredMouseEvent = row >= 0 && static_cast<std::size_t>(row) < text::kMouseEvents.size() ? row : kNone;
}

void MacroPage::closeMouseEventList()
{
    m_mouseListOpen = false;
    m_hoveredMouseEvent = kNone;
}

void MacroPage::insertMouseEvent(int row)
{
    if (row < 0 || static_cast<std::size_t>(row) >= text::kMouseEvents.size())
        return;
    const std::string chosen = text::kMouseEvents[static_cast<std::size_t>(row)];
    m_insertFace = chosen;
    if (m_selectedEvent < 0 || static_cast<std::size_t>(m_selectedEvent) >= m_events.size()) {
        closeMouseEventList();
        return;
    }
    const std::string pause = pauseEntry(kDefaultPause);
    std::vector<std::string> inserted;
    int select = 0; // of the inserted entries
    const bool click = chosen.find(kClick) != std::string::npos;
    const std::string press = replaceFirst(chosen, kClick, kPressSeparator);
    const std::string release = replaceFirst(chosen, kClick, kReleaseSeparator);
    if (classifyEntry(m_events[static_cast<std::size_t>(m_selectedEvent)]) == EntryKind::Pause) {
        inserted = click ? std::vector<std::string>{press, pause, release, pause}
                         : std::vector<std::string>{chosen, pause};
    } else {
        inserted = click ? std::vector<std::string>{pause, press, pause, release}
                         : std::vector<std::string>{pause, chosen};
        select = 1;
    }
    const auto at = m_events.begin() + m_selectedEvent + 1;
    m_events.insert(at, inserted.begin(), inserted.end());
    m_selectedEvent += 1 + select;
    closeMouseEventList();
}

void MacroPage::selectEvent(int index)
{
    m_selectedEvent = index >= 0 && static_cast<std::size_t>(index) < m_events.size() ? index : kNone;
}

void MacroPage::editPause()
{
    if (m_selectedEvent < 0 || static_cast<std::size_t>(m_selectedEvent) >= m_events.size())
        return;
    auto& entry = m_events[static_cast<std::size_t>(m_selectedEvent)];
    if (classifyEntry(entry) != EntryKind::Pause || !delayDialog)
        return;
    const std::optional<std::string> field = delayDialog();
    if (!field)
        return;
    entry = editedPauseEntry(*field);
}

void MacroPage::deleteEvent()
{
    if (m_selectedEvent < 0 || static_cast<std::size_t>(m_selectedEvent) >= m_events.size())
        return;
    m_events.erase(m_events.begin() + m_selectedEvent);
    m_selectedEvent = kNone;
}

void MacroPage::clearEvents()
{
    m_events.clear();
    m_selectedEvent = kNone;
}

void MacroPage::appendEntry(std::string entry)
{
    m_events.push_back(std::move(entry));
}

} // namespace varcel
