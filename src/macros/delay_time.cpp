#include "macros/delay_time.h"

#include "macros/macro_entry.h"

#include <algorithm>

namespace varcel {

namespace {

bool allDigits(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

void DelayTimeField::setText(std::string_view text)
{
    m_text.clear();
    for (const char c : text)
        if (c >= '0' && c <= '9')
            m_text += c;
    m_value = leadingInteger(m_text);
}

std::string editedPauseEntry(std::string_view fieldText)
{
    // Anything but digits (which could turn the pause into an event) counts
    // as out of range.
    const int value = leadingInteger(fieldText);
    const bool inRange = !fieldText.empty() && allDigits(fieldText) && value >= DelayTimeField::kShortest &&
                         value <= DelayTimeField::kLongest;
    return inRange ? std::string(fieldText) + std::string(kPauseSuffix) : pauseEntry(kDefaultPause);
}

} // namespace varcel
