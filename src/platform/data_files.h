// The names of the files Varcel keeps in its data folder. Every program and
// test names them through these, so a rename cannot leave one behind.
#pragma once

namespace varcel {

// The configuration image with its first-run flag, as the mouse's own
// program wrote it.
inline constexpr const char* kConfigFileName = "config.bin";
// Button labels per language and the skin settings.
inline constexpr const char* kLabelsFileName = "str.ini";
// The macros, one section each.
inline constexpr const char* kMacroFileName = "record.ini";
// The desktop pointer settings where no desktop keeps them.
inline constexpr const char* kPointerStoreFileName = "pointer.ini";
// The link constants the user set or learned for the mouse (Key=, Table=).
inline constexpr const char* kLinkFileName = "link.ini";
// What the simulated mouse was sent, kept across runs.
inline constexpr const char* kSimMemoryFileName = "simulated-mouse.bin";
// The named profiles, one file each: "<name>.json" in the profile format.
inline constexpr const char* kProfilesFolderName = "profiles";
inline constexpr const char* kProfileFileSuffix = ".json";
// Which profile was loaded or saved last, and the folder's contents then,
// so that a change made since shows.
inline constexpr const char* kActiveProfileFileName = "active-profile.json";
// Which profile goes with which application in front.
inline constexpr const char* kProfileRulesFileName = "profile-rules.json";

} // namespace varcel
