// varcelctl's side of the running Varcel's interface, on GDBus: GIO is
// already linked for the GNOME pointer settings, and varcelctl has no Qt.
// Nothing here starts a program: calls never ask the bus to activate one.
#pragma once

#include "service/service_core.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

typedef struct _GDBusConnection GDBusConnection;

namespace varcel {

struct RunningVarcel {
    std::string dataFolder;
    bool simulated = false;
    bool mousePresent = false;
    std::string version;
    // False when the program owns the name but does not answer at all
    // (stopped, or stuck): nothing else is known of it then.
    bool answers = true;
    std::uint32_t pid = 0;
};

class BusClient {
public:
    // The user's session bus; nullptr (and `why`) when there is none, or
    // when it does not answer within a second or two.
    static std::unique_ptr<BusClient> connect(std::string* why = nullptr);
    ~BusClient();

    // Whether a program owns `name` on the bus.
    bool nameHasOwner(const char* name);
    // The running Varcel, when one owns its name; told within about a second
    // when it does not answer.
    std::optional<RunningVarcel> running();
    // A varcelctl command line run inside the running Varcel, with the
    // contents of the file it names when `input` is given; nothing (and
    // `error`) when it could not be reached or did not answer.
    std::optional<CommandOutput> runCommand(const std::vector<std::string>& args, const std::string* input,
                                            std::string* error);
    // Prints the mouse's events as the running Varcel signals them, until
    // `stopFd` is readable or the program ends. Returns 0, or 1 when it ended.
    int watch(const std::function<void(const std::string& kind, int value)>& event, int stopFd);

private:
    explicit BusClient(GDBusConnection* bus) : m_bus(bus) {}
    GDBusConnection* m_bus;
};

// Whether the running Varcel serves the data folder `dataFolder` with the
// same kind of mouse: the same folder however it is spelled.
bool servesSameFolder(const RunningVarcel& running, const std::string& dataFolder, bool simulated);

} // namespace varcel
