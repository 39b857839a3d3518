// varcelctl's side of the running Varcel's interface, on GDBus: GIO is
// already linked for the GNOME pointer settings, and varcelctl has no Qt.
// Nothing here starts a program: calls never ask the bus to activate one.
#pragma once

#include "service/service_core.h"

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
};

class BusClient {
public:
    // The user's session bus; nullptr (and `why`) when there is none.
    static std::unique_ptr<BusClient> connect(std::string* why = nullptr);
    ~BusClient();

    // Whether a program owns `name` on the bus.
    bool nameHasOwner(const char* name);
    // The running Varcel, when one owns its name and answers.
    std::optional<RunningVarcel> running();
    // A varcelctl command line run inside the running Varcel; nothing (and
    // `error`) when it could not be reached.
    std::optional<CommandOutput> runCommand(const std::vector<std::string>& args, std::string* error);
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
