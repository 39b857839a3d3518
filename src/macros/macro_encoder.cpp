#include "macros/macro_encoder.h"

#include "keys/key_tables.h"
#include "macros/macro_entry.h"
#include "macros/macro_store.h"

#include <algorithm>
#include <cassert>
#include <cstdint>

namespace varcel {

namespace {

struct Event {
    bool release = false;
    std::uint8_t code = 0;
    int pause = 0; // 0 to kLongestPause
};

// The pause after event `index`: the entry that follows it, read as a pause,
// unless there is none or it is itself an event.
int pauseAfter(const std::vector<std::string>& entries, std::size_t index)
{
    if (index + 1 >= entries.size() || isKeyEvent(entries[index + 1]))
        return 0;
    return std::min<std::int32_t>(pauseMilliseconds(entries[index + 1]), kLongestPause);
}

std::vector<Event> eventsOf(const std::vector<std::string>& entries)
{
    std::vector<Event> events;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const EntryKind kind = classifyEntry(entries[i]);
        if (kind != EntryKind::KeyPress && kind != EntryKind::KeyRelease)
            continue;
        events.push_back({kind == EntryKind::KeyRelease, keyCodeOfName(entryKeyName(entries[i])),
                          pauseAfter(entries, i)});
    }
    return events;
}

std::size_t sizeOf(const Event& event)
{
    return event.pause <= kLongestShortPause ? kShortEventSize : kLongEventSize;
}

} // namespace

MacroFit measureMacro(const std::vector<std::string>& entries)
{
    MacroFit fit;
    for (const Event& event : eventsOf(entries)) {
        ++fit.events;
        fit.bytes += sizeOf(event);
        if (fit.bytes <= kEventStreamSize && fit.eventsThatFit + 1 == fit.events)
            ++fit.eventsThatFit;
    }
    return fit;
}

int encodeMacroBlock(std::span<std::uint8_t, kMacroBlockSize> block, const std::vector<std::string>& entries)
{
    return encodeMacroBlock(block, entries, static_cast<std::int32_t>(std::min<std::size_t>(entries.size(), INT32_MAX)));
}

int encodeMacroBlock(std::span<std::uint8_t, kMacroBlockSize> block, const std::vector<std::string>& entries,
                     std::int32_t itemCount)
{
    if (itemCount <= 0) {
        std::fill(block.begin(), block.end(), std::uint8_t{0});
        return 0;
    }
    std::fill(block.begin() + kEventStreamOffset, block.end(), std::uint8_t{0});
    std::size_t at = kEventStreamOffset;
    int written = 0;
    for (const Event& event : eventsOf(entries)) {
        // Stopping at the first event that does not fit keeps the stream a
        // prefix of the macro: a later short event must not jump the queue.
        if (at + sizeOf(event) > kMacroBlockSize)
            break;
        const std::uint8_t flag = event.release ? kReleaseFlag : std::uint8_t{0};
        block[at + 1] = event.code;
        if (event.pause <= kLongestShortPause) {
            block[at] = static_cast<std::uint8_t>(flag | (event.pause / kShortPauseUnit));
        } else {
            block[at] = static_cast<std::uint8_t>(flag | (event.pause % kLongPauseUnit));
            block[at + 2] = static_cast<std::uint8_t>(event.pause / kLongPauseUnit);
            block[at + 3] = kLongPauseMarkerCode;
        }
        at += sizeOf(event);
        ++written;
    }
    return written;
}

EncodeOutcome encodeAllMacros(const MacroStore& store, ConfigImage& image)
{
    EncodeOutcome outcome;
    outcome.fileFound = store.exists();
    if (!outcome.fileFound)
        return outcome;
    std::vector<StoredMacro> macros = store.loadAll();
    for (std::size_t t = 0; t < macros.size(); ++t) {
        if (t >= kMacroCount) {
            outcome.ignored.push_back(macros[t].name);
            continue;
        }
        const int written = encodeMacroBlock(macroBlockOf(image, t + 1), macros[t].entries, macros[t].itemCount);
        const MacroFit fit = measureMacro(macros[t].entries);
        if (written < fit.events)
            outcome.cut.push_back({macros[t].name, written, fit.events});
        ++outcome.blocksWritten;
    }
    return outcome;
}

std::span<std::uint8_t, kMacroBlockSize> macroBlockOf(ConfigImage& image, std::size_t number)
{
    assert(number >= 1 && number <= kMacroCount);
    return std::span<std::uint8_t, kMacroBlockSize>(image.data() + img::macroBlock(number), kMacroBlockSize);
}

std::span<const std::uint8_t, kMacroBlockSize> macroBlockOf(const ConfigImage& image, std::size_t number)
{
    assert(number >= 1 && number <= kMacroCount);
    return std::span<const std::uint8_t, kMacroBlockSize>(image.data() + img::macroBlock(number), kMacroBlockSize);
}

std::uint16_t loopCount(const ConfigImage& image, std::size_t number)
{
    const auto block = macroBlockOf(image, number);
    return static_cast<std::uint16_t>(block[kLoopCountOffset] << 8 | block[kLoopCountOffset + 1]);
}

void setLoopCount(ConfigImage& image, std::size_t number, std::uint16_t count)
{
    const auto block = macroBlockOf(image, number);
    block[kLoopCountOffset] = static_cast<std::uint8_t>(count >> 8);
    block[kLoopCountOffset + 1] = static_cast<std::uint8_t>(count & 0xFF);
}

} // namespace varcel
