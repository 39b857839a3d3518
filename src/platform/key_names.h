// Key names by physical key, standing in for GetKeyNameTextW (US layout, left
// and right keys told apart, keypad keys by position whatever Num Lock says).
// The names are the ones the key-name table of the buttons and the
// macro store look up; keys that have no row there get a name outside that
// table ("\" for the backslash keys, "Application" for the menu key), and
// keys Windows has no name for get the empty name.
#pragma once

#include <cstdint>
#include <string>

namespace varcel {

// The name of the key with this Linux evdev key code.
std::string keyNameForEvdevCode(std::uint32_t evdevCode);

// The name a recorded macro shows for a key: the name above, or for a key
// that has none (F13 to F24, the media keys) the name Linux gives it, so the
// user can read the entry; such a name has no row in the key-name table, so
// the key's code stays 0 as before.
std::string readableKeyName(std::uint32_t evdevCode);

// Qt reports the X11 and Wayland key code as nativeScanCode(), the evdev code
// plus 8. Codes below 8 are not keys.
constexpr std::uint32_t evdevCodeFromNativeScanCode(std::uint32_t nativeScanCode)
{
    return nativeScanCode >= 8 ? nativeScanCode - 8 : 0;
}

// The same name, from the native scan code of a Qt key event.
inline std::string keyNameForNativeScanCode(std::uint32_t nativeScanCode)
{
    return keyNameForEvdevCode(evdevCodeFromNativeScanCode(nativeScanCode));
}

} // namespace varcel
