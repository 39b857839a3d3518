// varcelctl doctor: one line per thing the mouse and the window need, each
// OK or the problem with its fix in one sentence. Exit status 0 when all is
// well, 1 otherwise.

#include "cli/cli_context.h"
#include "control/focus_rules.h"
#include "lang/failure_texts.h"
#include "platform/data_files.h"
#include "platform/focus_watch.h"
#include "platform/pointer_settings.h"
#include "platform/shared_library.h"
#include "service/bus_client.h"
#include "service/dbus_names.h"
#include "service/gnome_extension.h"

#include <CLI/CLI.hpp>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <set>
#include <sstream>

namespace varcel {

namespace {

struct Line {
    std::string topic;
    bool ok = true;
    std::string text; // OK: what was found; otherwise the problem and its fix
};

Line good(std::string topic, std::string text) { return {std::move(topic), true, std::move(text)}; }
Line bad(std::string topic, std::string text) { return {std::move(topic), false, std::move(text)}; }

constexpr const char* kRuleName = "70-varcel.rules";

// The colon-separated list an environment variable holds, or nothing.
std::optional<std::vector<std::string>> listFromEnvironment(const char* name)
{
    const char* value = std::getenv(name);
    if (!value)
        return std::nullopt;
    std::vector<std::string> items;
    std::istringstream list(value);
    for (std::string item; std::getline(list, item, ':');)
        items.push_back(item);
    return items;
}

// Where udev reads rules; VARCEL_UDEV_RULES_DIRS stands in for them where
// the system's own cannot be changed.
std::optional<std::string> installedRule()
{
    const auto folders = listFromEnvironment("VARCEL_UDEV_RULES_DIRS")
                             .value_or(std::vector<std::string>{"/etc/udev/rules.d", "/run/udev/rules.d",
                                                                "/usr/lib/udev/rules.d", "/lib/udev/rules.d"});
    for (const std::string& folder : folders)
        if (const auto path = folder + "/" + kRuleName; ::access(path.c_str(), F_OK) == 0)
            return path;
    return std::nullopt;
}

bool openable(const std::string& path, int flags)
{
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

// The mouse's device nodes: VARCEL_DOCTOR_NODES names them where no mouse
// is plugged in; otherwise the hidraw nodes listed.
std::set<std::string> mouseNodes(CliContext& context)
{
    if (const auto given = listFromEnvironment("VARCEL_DOCTOR_NODES"))
        return {given->begin(), given->end()};
    std::set<std::string> nodes;
    for (const HidInterfaceInfo& info : context.backend().enumerate())
        if (info.vendorId == kVendorId && info.productId == kProductId)
            nodes.insert(info.path);
    return nodes;
}

std::vector<Line> deviceLines(CliContext& context, const std::optional<RunningVarcel>& running)
{
    std::vector<Line> lines;
    const bool simulated = context.simulate && !std::getenv("VARCEL_DOCTOR_NODES");
    if (simulated) {
        lines.push_back(good("udev rule", "not needed for the simulated mouse"));
        lines.push_back(good("device access", "not needed for the simulated mouse"));
    } else {
        const auto rule = installedRule();
        const std::set<std::string> nodes = mouseNodes(context);
        std::vector<std::string> closed;
        for (const std::string& node : nodes)
            if (!openable(node, O_RDWR))
                closed.push_back(node);
        if (!rule)
            lines.push_back(bad("udev rule", std::string(kRuleName) + " is not installed; copy packaging/" + kRuleName +
                                                 " to /etc/udev/rules.d/ and run \"sudo udevadm control --reload "
                                                 "&& sudo udevadm trigger\"."));
        else if (!nodes.empty() && !closed.empty())
            lines.push_back(bad("udev rule", *rule + " is installed but not applied to the plugged mouse; run "
                                                     "\"sudo udevadm trigger\" or unplug and replug the mouse."));
        else
            lines.push_back(good("udev rule", *rule + (nodes.empty() ? " (no mouse plugged in to apply it to)"
                                                                     : " applied to the plugged mouse")));
        if (nodes.empty())
            lines.push_back(good("device access", "no device node of the mouse to check"));
        else if (closed.empty())
            lines.push_back(good("device access", "this user may read and write " + std::to_string(nodes.size()) +
                                                      " device node(s) of the mouse"));
        else
            lines.push_back(bad("device access", "this user may not open " + closed.front() +
                                                     "; install the udev rule and log in again at the seat the "
                                                     "mouse is plugged into."));
    }
    if (running) {
        if (running->mousePresent)
            lines.push_back(good("mouse", "found and accepted by the running Varcel"));
        else
            lines.push_back(bad("mouse", "the running Varcel has no accepted mouse; plug the mouse in (or "
                                         "replug it) and watch for the tray's \"detect\" balloon."));
        return lines;
    }
    const HidLink& link = context.connect(false);
    if (!context.discovered())
        lines.push_back(bad("mouse", "not found; plug it in, and install the udev rule if it is plugged in."));
    else if (context.lastHandshake() == HandshakeOutcome::OtherConstants)
        lines.push_back(bad("link", "the mouse answers, but with other link constants than Varcel's; learn them "
                                    "from a capture with \"varcelctl link learn FILE --save\" (README, \"Teaching "
                                    "Varcel the mouse's link\")."));
    else if (!link.ready())
        lines.push_back(bad("mouse", std::string("found, but the handshake gave \"") +
                                         handshakeOutcomeName(context.lastHandshake()) +
                                         "\"; unplug and replug the mouse, and close other programs using it."));
    else
        lines.push_back(
            good("mouse", std::string("found; handshake ") + handshakeOutcomeName(context.lastHandshake())));
    return lines;
}

// An XEmbed tray on X11 owns the selection _NET_SYSTEM_TRAY_S<screen>.
// libX11 is asked at run time only, so varcelctl needs no X library.
bool x11TrayManager()
{
    if (!std::getenv("DISPLAY"))
        return false;
    void* (*open)(const char*) = nullptr;
    int (*close)(void*) = nullptr;
    int (*screen)(void*) = nullptr;
    unsigned long (*atom)(void*, const char*, int) = nullptr;
    unsigned long (*owner)(void*, unsigned long) = nullptr;
    if (!loadFunctions("libX11.so.6", std::pair{&open, "XOpenDisplay"}, std::pair{&close, "XCloseDisplay"},
                       std::pair{&screen, "XDefaultScreen"}, std::pair{&atom, "XInternAtom"},
                       std::pair{&owner, "XGetSelectionOwner"})
             .empty())
        return false;
    void* display = open(nullptr);
    if (!display)
        return false;
    const std::string selection = "_NET_SYSTEM_TRAY_S" + std::to_string(screen(display));
    const bool found = owner(display, atom(display, selection.c_str(), 0)) != 0;
    close(display);
    return found;
}

Line trayLine(BusClient* bus)
{
    if (bus && bus->nameHasOwner("org.kde.StatusNotifierWatcher"))
        return good("tray", "a StatusNotifierWatcher is on the session bus");
    if (x11TrayManager())
        return good("tray", "an XEmbed tray manager runs on the X display");
    return bad("tray", "no tray host: Varcel shows its window at start-up instead; on GNOME install and enable "
                       "the AppIndicator extension (gnome-shell-extension-appindicator).");
}

Line busLine(BusClient* bus, const std::string& busProblem, const std::optional<RunningVarcel>& running,
             CliContext& context)
{
    if (!bus)
        return bad("D-Bus", "no session bus (" + busProblem + "); start varcelctl from the desktop session.");
    if (!running)
        return bad("D-Bus", std::string("no running Varcel owns ") + bus::kName +
                                "; start Varcel from the menu or with \"varcel\".");
    if (!running->answers) {
        const std::string pid = std::to_string(running->pid);
        return bad("D-Bus", "a Varcel (process " + pid + ") owns " + bus::kName +
                                " but does not answer: it is stopped or stuck; let it go on with \"kill -CONT " + pid +
                                "\" or end it with \"kill " + pid + "\".");
    }
    if (!servesSameFolder(*running, context.dataDir().path.string(), context.simulate))
        return bad("D-Bus", "the running Varcel uses " + running->dataFolder +
                                (running->simulated ? " (simulated mouse)" : "") +
                                ", not this folder; give varcelctl the same --data-dir and mouse.");
    return good("D-Bus", std::string(bus::kName) + " is owned by the running Varcel on this folder");
}

Line pointerLine(CliContext& context)
{
    auto settings = pickPointerSettings(context.dataDir().path);
    const std::string name = settings->name();
    if (name != "stored" && !settings->speed() && !settings->wheelScrollLines())
        return bad("pointer", "the " + name + " backend (" + settings->describe() +
                                  ") cannot be read; set VARCEL_POINTER_SETTINGS=stored, or install the desktop's "
                                  "settings schemas.");
    return good("pointer", name + " backend: " + settings->describe());
}

// Whether the backend follows the focus in this session; what it follows
// by, or why it does not.
bool focusProbe(FocusBackend backend, std::string* said)
{
    switch (backend) {
    case FocusBackend::X11:
    case FocusBackend::I3:
    case FocusBackend::Wlroots: {
        if (!openFocusWatch(backend, said))
            return false;
        *said = backend == FocusBackend::X11  ? "X11: the window manager's active window"
                : backend == FocusBackend::I3 ? "sway or i3: the IPC's focus events on " + i3SocketPath()
                                              : "Wayland: the compositor's foreign-toplevel list";
        return true;
    }
    case FocusBackend::KWin: *said = "KDE Plasma: a KWin script while Varcel runs"; return true;
    case FocusBackend::Gnome: {
        const GnomeFocusExtension extension = gnomeFocusExtension();
        *said = extension.enabled ? "GNOME Shell: the extension " + extension.uuid : extension.problem;
        return extension.enabled;
    }
    case FocusBackend::None: break;
    }
    return false;
}

// Which backend follows the application in front. That none does is a
// problem to fix only when rules ask for switching.
Line focusLine(CliContext& context)
{
    const char* shortcut = "; or switch with \"varcelctl profile load NAME --apply\" from a desktop shortcut";
    const std::vector<FocusBackend> order = focusBackendsToTry();
    if (const char* chosen = std::getenv("VARCEL_FOCUS"); order.empty() && chosen && std::string(chosen) == "none")
        return good("profiles", std::string("no automatic switching: VARCEL_FOCUS=none turns it off") + shortcut);
    if (order.empty())
        return good("profiles", std::string("no automatic switching: no desktop session here tells the application "
                                            "in front (neither DISPLAY, WAYLAND_DISPLAY, SWAYSOCK nor I3SOCK is set)") +
                                    shortcut);
    std::string problems;
    for (const FocusBackend backend : order) {
        std::string said;
        if (focusProbe(backend, &said))
            return good("profiles", "switched by the application in front (" + said + ")");
        problems += (problems.empty() ? "" : "; ") + std::string(focusBackendName(backend)) + ": " + said;
    }
    FocusRules rules(context.dataDir().path);
    const bool wanted = !rules.load() && !rules.rules().empty();
    return Line{"profiles", !wanted, "no automatic switching (" + problems + ")" + shortcut};
}

// Rules that switch nothing: the rule file cannot be used, or a rule names a
// profile that is not there.
Line profileRulesLine(CliContext& context)
{
    FocusRules rules(context.dataDir().path);
    if (const Problem problem = rules.load())
        return bad("profile rules", failureText(*problem, Language::English) + "; fix it or remove it.");
    const std::vector<FocusRule> dangling = rules.dangling();
    if (dangling.empty())
        return good("profile rules", std::to_string(rules.rules().size()) + ", each naming a profile");
    std::string text;
    for (const FocusRule& rule : dangling)
        text += (text.empty() ? "" : ", ") + describeRule(rule);
    return bad("profile rules", text + ": no such profile, so switching nothing; save the profile or remove the rule "
                                       "with \"varcelctl profile rule remove\".");
}

std::vector<Line> fileLines(CliContext& context)
{
    std::vector<Line> lines;
    const std::filesystem::path folder = context.dataDir().path;
    for (const char* name : {kConfigFileName, kLabelsFileName, kMacroFileName}) {
        const std::string path = (folder / name).string();
        const bool exists = ::access(path.c_str(), F_OK) == 0;
        if (!exists && name == std::string(kConfigFileName)) {
            lines.push_back(bad(name, "missing in " + folder.string() +
                                          "; copy the installed default (share/varcel/config.bin) there."));
            continue;
        }
        if (!exists) {
            lines.push_back(good(name, "not there yet; the first save creates it"));
            continue;
        }
        if (!openable(path, O_RDONLY) || !openable(path, O_WRONLY))
            lines.push_back(bad(name, path + " cannot be " + (openable(path, O_RDONLY) ? "written" : "read") +
                                          "; give it back to this user with \"chmod u+rw " + path + "\"."));
        else
            lines.push_back(good(name, path + " readable and writable"));
    }
    // Every save replaces a file through a new one in the same folder.
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        lines.push_back(bad("data folder", folder.string() +
                                               " does not take new files; give it back to this user "
                                               "with \"chmod u+rwx " +
                                               folder.string() + "\"."));
    return lines;
}

int doctor(CliContext& context)
{
    std::string busProblem;
    auto bus = BusClient::connect(&busProblem);
    // Asked once: a Varcel that does not answer is told within a second.
    const std::optional<RunningVarcel> found = bus ? bus->running() : std::nullopt;
    std::optional<RunningVarcel> running;
    if (found && found->answers && servesSameFolder(*found, context.dataDir().path.string(), context.simulate))
        running = found;
    std::vector<Line> lines{good("version", std::string("varcelctl ") + VARCEL_VERSION)};
    if (running && running->version != VARCEL_VERSION)
        lines.back() = bad("version", std::string("varcelctl ") + VARCEL_VERSION + " but the running Varcel is " +
                                          running->version + "; quit Varcel from its tray menu and start it again.");
    // The mouse and the simulated mouse's memory are a silent program's.
    if (found && !found->answers)
        lines.push_back(bad("mouse", "not checked while the running Varcel does not answer (see D-Bus)."));
    else
        for (Line& line : deviceLines(context, running))
            lines.push_back(std::move(line));
    lines.push_back(trayLine(bus.get()));
    lines.push_back(busLine(bus.get(), busProblem, found, context));
    lines.push_back(pointerLine(context));
    lines.push_back(focusLine(context));
    lines.push_back(profileRulesLine(context));
    for (Line& line : fileLines(context))
        lines.push_back(std::move(line));

    bool allWell = true;
    for (const Line& line : lines) {
        std::cout << (line.ok ? "OK   " : "FIX  ") << line.topic << ": " << line.text << "\n";
        allWell = allWell && line.ok;
    }
    return allWell ? 0 : 1;
}

} // namespace

void addDoctorCommand(CLI::App& app, CliContext& context)
{
    runs(app.add_subcommand("doctor", "Check what the mouse and the window need, one line each, with "
                                      "the fix for each problem"),
         context, doctor);
}

} // namespace varcel
