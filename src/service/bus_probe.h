// Whether a name has an owner on the user's session bus, asked over the
// bus's socket directly: a few hundred microseconds, where loading GIO and
// connecting through it takes milliseconds. varcelctl asks this before every
// command, and most of the time no Varcel runs.
#pragma once

#include <chrono>
#include <string>

namespace varcel {

enum class NameOwner {
    None,    // no program owns it, or there is no session bus to own it on
    Owned,   // a program owns it
    Unknown, // a bus this cannot reach or read (another transport, no answer)
};

// `address` is a D-Bus address as in DBUS_SESSION_BUS_ADDRESS. The answer
// comes within `wait`, else it is Unknown.
NameOwner probeNameOwner(const std::string& address, const char* name, std::chrono::milliseconds wait);

// The same on the user's session bus, found as GIO finds it: the address in
// the environment, else the socket "bus" in the runtime folder. Unknown when
// GIO would go further (starting a bus for the X display).
NameOwner probeSessionNameOwner(const char* name, std::chrono::milliseconds wait);

} // namespace varcel
