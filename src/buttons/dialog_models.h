// What the parameter dialogs decide, without the drawing: which key a key
// event fills in, which row a list gives, how the fire-key numbers are
// corrected, and what each dialog gives back when it is confirmed. The
// dialogs in the window show these models; varcelctl checks its arguments by
// the same rules.
#pragma once

#include "buttons/button_model.h"
#include "lang/language.h"

#include <string>
#include <string_view>
#include <vector>

namespace varcel {

// Names that go into a button label (key names, modifier names, macro names)
// are at most 31 characters, the size of the key-name service's buffer, and
// hold no control characters: a line break would split the label's line in
// str.ini and lose the labels after it.
inline constexpr std::size_t kLabelNameLength = 31;

// Whether a name may go into a label as it is.
bool isLabelSafeName(std::string_view name);
// The name with control characters removed and cut to 31 characters (of
// UTF-8 text, never inside a character).
std::string labelSafeName(std::string_view name);

// The single-key dialog: the last key event names the key.
class SingleKeyDialogModel {
public:
    // Every press, repeat and release the key capture reports; the name
    // follows them all, so once all keys are up it names the last released.
    void keyEvent(std::string_view keyName);
    const std::string& keyName() const { return m_name; }
    SingleKeyChoice result() const { return {m_name}; }

private:
    std::string m_name;
};

// The combination-key dialog: a modifier from its list and two keys, each
// captured into the key field that has the focus.
class ComboKeyDialogModel {
public:
    enum class Field { None, Key1, Key2 };

    // The eight rows of the modifier list, the same in every language.
    static std::vector<std::string> modifierRows();

    // A key event while `focused` has the focus; a key with neither field
    // focused, or while the modifier list is open, changes nothing.
    void keyEvent(Field focused, std::string_view keyName);

    // A click on the modifier box: opens the list, or closes an open one.
    void toggleModifierList();
    // A click anywhere else.
    void closeModifierList() { m_listOpen = false; }
    // A row chosen in the list; the list closes.
    void chooseModifier(int row);
    bool isModifierListOpen() const { return m_listOpen; }
    // The key fields take no input while the modifier list is open.
    bool keyFieldsEnabled() const { return !m_listOpen; }

    int modifierRow() const { return m_modifierRow; }
    const std::string& modifier() const { return m_result.modifier; }
    const std::string& key1() const { return m_result.key1; }
    const std::string& key2() const { return m_result.key2; }
    const ComboKeyChoice& result() const { return m_result; }

private:
    ComboKeyChoice m_result;
    int m_modifierRow = -1;
    bool m_listOpen = false;
};

// A drop-down list of rows under a face that shows the chosen row's name.
class RowChooser {
public:
    RowChooser(std::vector<std::string> rows, int chosen);

    const std::vector<std::string>& rows() const { return m_rows; }
    int chosenRow() const { return m_chosen; }
    // The chosen row's name; empty while none is chosen.
    std::string chosenName() const;
    bool isOpen() const { return m_open; }

    // A click on the face.
    void toggle() { m_open = !m_open; }
    // A click elsewhere.
    void close() { m_open = false; }
    // A row clicked in the open list: it becomes the chosen one and the list closes.
    void choose(int row);

private:
    std::vector<std::string> m_rows;
    int m_chosen;
    bool m_open = false;
};

// The multimedia dialog: row 0 ("Next") until another is chosen.
class MediaDialogModel : public RowChooser {
public:
    explicit MediaDialogModel(Language language);
    MultimediaChoice result() const { return {chosenRow(), chosenName()}; }
};

// The application-key dialog: row 0 ("Multimedia Player") until another is chosen.
class WindowsDialogModel : public RowChooser {
public:
    explicit WindowsDialogModel(Language language);
    ApplicationKeyChoice result() const { return {chosenRow(), chosenName()}; }
};

// The fire-key dialog: a key of the fire-key list ("A" first), the speed
// (5 to 255, smaller is faster; 32 to begin with) and the times (0 to 255, 0
// repeating while the button is held; 1 to begin with).
class FireKeyDialogModel : public RowChooser {
public:
    static constexpr int kInitialSpeed = 32;
    static constexpr int kInitialTimes = 1;
    static constexpr int kFastest = 5;
    static constexpr int kSlowest = 255;
    static constexpr int kMostTimes = 255;

    FireKeyDialogModel();

    // The speed field lost the focus with `text`: a value outside 5 to 255
    // (an empty field reads as 0) becomes 5. Returns the text the field shows.
    std::string speedFieldLeft(std::string_view text);
    // The times field's text changed: a value outside 0 to 255 becomes 1; an
    // empty field is 0. Returns the text the field shows.
    std::string timesFieldChanged(std::string_view text);
    // The number fields take no input while the key list is open.
    bool numberFieldsEnabled() const { return !isOpen(); }

    int speed() const { return m_speed; }
    int times() const { return m_times; }
    FireKeyChoice result() const { return {chosenRow(), chosenName(), m_speed, m_times}; }

private:
    int m_speed = kInitialSpeed;
    int m_times = kInitialTimes;
};

// The macro-key dialog: the macros of record.ini in file order (at most the
// twelve the mouse holds) and the three repeat options.
class MacroKeyDialogModel : public RowChooser {
public:
    explicit MacroKeyDialogModel(std::vector<std::string> macroNames);

    int repeatOption() const { return m_option; }
    // A click on option box 1, 2 or 3.
    void chooseOption(int option);
    // OK without a chosen macro binds the first one, and the label names it.
    MacroKeyChoice result() const;

private:
    int m_option = 1;
};

} // namespace varcel
