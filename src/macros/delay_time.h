// The delay dialog's field and what becomes of it: the field takes digits
// only, and every change keeps its text and the text's leading integer (0 for
// an empty field). The dialog itself accepts any value; the macro page turns
// the confirmed text into a pause entry, keeping the user's digits when the
// value lies from 50 to 10000 ms and falling back to "50 ms" otherwise.
#pragma once

#include <string>
#include <string_view>

namespace varcel {

class DelayTimeField {
public:
    static constexpr int kShortest = 50;
    static constexpr int kLongest = 10000;

    // A change of the field's text. Characters other than digits (pasted
    // text) are dropped, as the field admits digits only.
    void setText(std::string_view text);
    const std::string& text() const { return m_text; }
    int value() const { return m_value; }

private:
    std::string m_text;
    int m_value = 0;
};

// The pause entry that replaces the edited one when the dialog is confirmed
// with `fieldText`: "0050" gives "0050 ms", "20000" and "" give "50 ms".
std::string editedPauseEntry(std::string_view fieldText);

} // namespace varcel
