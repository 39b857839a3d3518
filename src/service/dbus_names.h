// The names under which the running Varcel answers on the user's session
// bus. The interface carries its version: a change that breaks callers gets
// a new interface name beside the old one.
#pragma once

namespace varcel::bus {

inline constexpr const char* kName = "io.github.varcel.Varcel"; // the application ID
inline constexpr const char* kPath = "/io/github/varcel/Varcel";
inline constexpr const char* kInterface = "io.github.varcel.Varcel1";
inline constexpr const char* kPropertiesInterface = "org.freedesktop.DBus.Properties";
// Where the interface's description takes the settings' properties.
inline constexpr const char* kSettingPropertiesMark = "    <!-- The settings' properties -->\n";

// Errors a method returns; the message is the text varcelctl would print.
inline constexpr const char* kErrorFailed = "io.github.varcel.Varcel1.Error.Failed";
inline constexpr const char* kErrorUsage = "io.github.varcel.Varcel1.Error.Usage";
inline constexpr const char* kErrorNoSuchProfile = "io.github.varcel.Varcel1.Error.NoSuchProfile";
inline constexpr const char* kErrorAccessDenied = "org.freedesktop.DBus.Error.AccessDenied";
inline constexpr const char* kErrorInvalidArgs = "org.freedesktop.DBus.Error.InvalidArgs";
inline constexpr const char* kErrorUnknownProperty = "org.freedesktop.DBus.Error.UnknownProperty";
inline constexpr const char* kErrorPropertyReadOnly = "org.freedesktop.DBus.Error.PropertyReadOnly";

} // namespace varcel::bus
