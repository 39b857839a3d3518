#include "macros/macro_entry.h"

namespace varcel {

namespace {

std::string removeAll(std::string_view text, std::string_view part)
{
    std::string out;
    out.reserve(text.size());
    std::size_t from = 0;
    for (std::size_t at = text.find(part); at != std::string_view::npos; at = text.find(part, from)) {
        out.append(text.substr(from, at - from));
        from = at + part.size();
    }
    out.append(text.substr(from));
    return out;
}

} // namespace

EntryKind classifyEntry(std::string_view entry)
{
    if (entry.find(kPressSeparator) != std::string_view::npos)
        return EntryKind::KeyPress;
    if (entry.find(kReleaseSeparator) != std::string_view::npos)
        return EntryKind::KeyRelease;
    if (entry.find("ms") != std::string_view::npos)
        return EntryKind::Pause;
    return EntryKind::Other;
}

std::string entryKeyName(std::string_view entry)
{
    switch (classifyEntry(entry)) {
    case EntryKind::KeyPress: return removeAll(entry, kPressSeparator);
    case EntryKind::KeyRelease: return removeAll(entry, kReleaseSeparator);
    case EntryKind::Pause:
    case EntryKind::Other: break;
    }
    return {};
}

std::string pressEntry(std::string_view keyName)
{
    return std::string(keyName) + std::string(kPressSeparator);
}

std::string releaseEntry(std::string_view keyName)
{
    return std::string(keyName) + std::string(kReleaseSeparator);
}

std::string pauseEntry(int milliseconds)
{
    return std::to_string(milliseconds) + std::string(kPauseSuffix);
}

std::int32_t pauseMilliseconds(std::string_view entry)
{
    const std::int32_t value = leadingInteger(removeAll(entry, kPauseSuffix));
    return value < 0 ? 0 : value;
}

} // namespace varcel
