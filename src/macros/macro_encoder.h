// The mouse's form of the macros: twelve 128-byte blocks in the macro area of
// the configuration image, rebuilt from record.ini on every "Confirm".
#pragma once

#include "device/config_image.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace varcel {

class MacroStore;

// Layout of one macro block.
inline constexpr std::size_t kLoopCountOffset = 0;   // 2 bytes: loop count, big-endian, 1 to 65535
inline constexpr std::size_t kEventStreamOffset = 2; // event pairs from here on; zero after the last
inline constexpr std::size_t kEventStreamSize = kMacroBlockSize - kEventStreamOffset;
static_assert(kEventStreamOffset + kEventStreamSize == kMacroBlockSize);

// Event pair: a pause byte, then the key code.
inline constexpr std::uint8_t kReleaseFlag = 0x80;    // bit 7 of the pause byte: a key release
inline constexpr std::uint8_t kPauseBits = 0x7F;      // bits 0 to 6: the pause after the event
inline constexpr int kShortPauseUnit = 10;            // a short pause counts tens of milliseconds
inline constexpr int kLongestShortPause = 1270;       // 127 tens, the most seven bits hold
inline constexpr int kLongPauseUnit = 100;            // the marker pair counts hundreds
inline constexpr std::uint8_t kLongPauseMarkerCode = 0x03; // key code of the marker pair
inline constexpr std::size_t kShortEventSize = 2;     // one pair
inline constexpr std::size_t kLongEventSize = 4;      // the event pair and a marker pair
// The marker byte holds at most 255 hundreds; a longer pause in a hand-edited
// file is held to this rather than wrapped around to a short one.
inline constexpr int kLongestPause = 255 * kLongPauseUnit + (kLongPauseUnit - 1);

// What a macro needs in a block.
struct MacroFit {
    int events = 0;          // key presses and releases in the list
    int eventsThatFit = 0;   // of them, from the first on, those the 126 bytes hold
    std::size_t bytes = 0;   // the event stream the whole list needs
    bool fits() const { return eventsThatFit == events; }
};
MacroFit measureMacro(const std::vector<std::string>& entries);

// Writes a macro's events into its block. An empty list clears the whole block,
// loop count included; otherwise the loop count stays and the event stream is
// rewritten. Events that do not fit whole are left out; the block is never
// written past its end. Returns the number of events written.
int encodeMacroBlock(std::span<std::uint8_t, kMacroBlockSize> block, const std::vector<std::string>& entries);
// The same for a section of record.ini: only an "ItemCount" of 0 (or less)
// clears the loop count. A count above 0 keeps it even when the section holds
// no items, so a hand-edited file does not lose the user's loop count.
int encodeMacroBlock(std::span<std::uint8_t, kMacroBlockSize> block, const std::vector<std::string>& entries,
                     std::int32_t itemCount);

struct EncodeOutcome {
    struct Cut {
        std::string name;
        int written = 0;
        int events = 0;
    };
    bool fileFound = false;
    std::size_t blocksWritten = 0;
    std::vector<std::string> ignored; // sections past the twelfth, which the mouse has no block for
    std::vector<Cut> cut;             // macros of a hand-edited file longer than their block
};

// Rebuilds the blocks of every macro in record.ini: section t is block t + 1.
// Blocks after the last section keep what they hold; a missing file changes
// nothing.
EncodeOutcome encodeAllMacros(const MacroStore& store, ConfigImage& image);

// The block of macro number 1 to 12 in the image.
std::span<std::uint8_t, kMacroBlockSize> macroBlockOf(ConfigImage& image, std::size_t number);
std::span<const std::uint8_t, kMacroBlockSize> macroBlockOf(const ConfigImage& image, std::size_t number);

std::uint16_t loopCount(const ConfigImage& image, std::size_t number);
void setLoopCount(ConfigImage& image, std::size_t number, std::uint16_t count);

} // namespace varcel
