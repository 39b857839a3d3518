// What every varcelctl command shares: the global options, the data folder,
// the message-box reporter and, for commands that talk to the mouse, the link.
#pragma once

#include "cli/hosted_varcelctl.h"
#include "control/mouse_source.h"
#include "control/workspace.h"
#include "device/device_session.h"
#include "device/hid_link.h"
#include "device/link_constants.h"
#include "device/sim/sim_mouse.h"
#include "device/trace.h"
#include "lang/failure_texts.h"
#include "platform/data_dir.h"
#include "platform/reporter.h"
#include "service/service_core.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace CLI {
class App;
}

namespace varcel {

// Message boxes go to stderr, caption first.
class StderrReporter : public Reporter {
public:
    void messageBox(const std::string& text, const std::string& caption) override;
    int count = 0;
};

// --trace lines go to stdout as they happen, from whichever thread.
class StdoutTrace : public TraceSink {
public:
    void traceReport(TraceKind kind, std::span<const std::uint8_t> bytes) override;
    void traceRemark(const std::string& text) override;
    void traceWire(bool out, std::span<const std::uint8_t> wire, std::span<const std::uint8_t> plain) override;
    bool plainLines = true; // --trace
    bool wireLines = false; // --trace-wire

private:
    std::mutex m_mutex;
};

// Status codes printed one per line: "<name> <value>" (for example
// "dpi-stage 3"), from whichever thread.
class PrintingStatus : public StatusSink {
public:
    void deviceStatus(StatusCode code, int value) override;
    bool quiet = false; // the handshake outcome is shown otherwise by most commands

private:
    std::mutex m_mutex;
};

// The exit status of a command line the program cannot take.
inline constexpr int kUsageError = 2;

// A failure the user must hear about; main() prints it and exits non-zero.
struct CliError {
    std::string message;
    int exitCode = 1;
};

// A command line the program cannot take, and why.
inline CliError usage(const std::string& message) { return CliError{message, kUsageError}; }

class CliContext {
public:
    // Global options.
    bool simulate = false;
    std::string dataDirOption;
    bool trace = false;
    bool traceWire = false;
    std::string simFault = "none";
    int simUnplugAfter = 0;
    std::string linkOption;    // --link KEY:TABLE, for this run only
    std::string simLinkOption; // --sim-link KEY:TABLE, the simulated mouse's own
    std::string captureFile;   // --capture FILE, the simulated mouse's reports

    // Set when the command runs inside the running Varcel.
    const CliHost* host = nullptr;

    // The chosen command's work; returns the exit status or throws CliError.
    std::function<int()> run;

    const DataDir& dataDir();
    Reporter& reporter() { return m_reporter; }
    int reportedFailures() const { return m_reporter.count; }

    // The link, discovered and with the handshake done; throws CliError when
    // the mouse is not there or not accepted (unless requireReady is false).
    HidLink& connect(bool requireReady = true);
    // The backend without discovery (for listing collections).
    HidBackend& backend();
    // The device session (link, commands, reader) on the chosen backend.
    DeviceSession& session();
    // Why the mouse was not found, with a hint when it is there but closed to us.
    std::string notFoundMessage();
    // The simulated mouse, when --simulate is on.
    SimMouse* sim() { return m_mouse ? m_mouse->sim() : host ? host->sim : nullptr; }
    // The mouse this command opened itself; none inside the running Varcel.
    MouseSource* mouseSource() { return m_mouse.get(); }
    HandshakeOutcome lastHandshake() const { return m_handshake; }
    // Takes the data folder's lock for the rest of the command, so that a
    // command's reads and writes of the files are not mixed with another
    // program's; throws CliError when another program keeps it too long.
    void lockDataFolder();
    // The data folder's files, in the system language; every command that
    // reads, saves or applies them goes through it.
    Workspace& workspace();
    bool discovered() const { return m_discovered; }
    // The link constants of this run: --link, else the data folder's link
    // file, else the built-in ones; `source` says which.
    LinkConstants linkConstants(std::string* source = nullptr);

    ~CliContext();

private:
    // The simulated mouse saves its memory in the data folder after each
    // exchange: a command that talks to it holds the folder's lock from the
    // start, says so when it has to wait for it, and fails with the folder's
    // name when it does not get it, instead of losing the saves unseen.
    void lockForSimulatedMouse();

    std::optional<DataDir> m_dataDir;
    std::unique_ptr<Workspace> m_workspace;
    StderrReporter m_reporter;
    StdoutTrace m_trace;
    PrintingStatus m_status;
    std::unique_ptr<MouseSource> m_mouse;
    std::unique_ptr<DeviceSession> m_session;
    bool m_connected = false;
    HandshakeOutcome m_handshake = HandshakeOutcome::NoAnswer;
    bool m_discovered = false;
    bool m_hostTraced = false;
};

// A --link or --sim-link value that is not KEY:TABLE in hex.
std::string checkLinkOption(const std::string& text);

// The failure as varcelctl prints it, in the system language, with what it
// means for the user's files after it.
CliError cliError(const Failure& failure, const LangText& consequence, int exitCode = 1);
CliError cliError(const Failure& failure, int exitCode = 1);
// Returns when there is no problem; throws it otherwise.
void throwIf(const Problem& problem, const LangText& consequence);
void throwIf(const Problem& problem);

// Tells that the mouse gets code 0 for a key name the table does not know;
// an empty name is no key, and says nothing.
void noteUnknownKey(const std::string& name, bool known, const char* table = "key-name table");

// Throws the CliError that says what an apply left undone; returns when all
// of it happened.
void throwUnlessApplied(const ApplyReport& report);

// varcelctl's whole run: `args` as main() gets them, the program's name
// first. Without a host, a command that reads or changes the configuration
// or talks to the mouse goes through a Varcel running on the same data folder
// with the same kind of mouse, and runs here only when there is none.
int runVarcelctl(const std::vector<std::string>& args, const CliHost* host = nullptr);

// Blocks SIGINT, SIGTERM and SIGHUP in the calling thread and in every thread
// it starts afterwards (the bus's among them): called before any other
// thread starts, so that none of them meets a signal's default action, which
// would end the program without its clean-up.
void blockWatchSignals();

// SIGINT, SIGTERM and SIGHUP as a descriptor that `watch` waits on; throws
// CliError when it cannot be made.
int watchSignalsFd();

// One function per command group adds its subcommands (kCommandGroups in
// varcelctl.cpp names the words of each). The commands compile as one file,
// where CLI11's functions are compiled once; this header names CLI::App
// only, so that what includes it does not pay for CLI11.
void addDeviceCommands(CLI::App& app, CliContext& context);
void addSessionCommands(CLI::App& app, CliContext& context);
void addButtonCommands(CLI::App& app, CliContext& context);
void addMacroCommands(CLI::App& app, CliContext& context);
void addSettingsCommands(CLI::App& app, CliContext& context);
void addProfileCommands(CLI::App& app, CliContext& context);
void addPointerCommands(CLI::App& app, CliContext& context);
void addLinkCommands(CLI::App& app, CliContext& context);
void addDoctorCommand(CLI::App& app, CliContext& context);

// Returns when a setting command's edit was saved (and sent), else throws
// what refused it or why the files or the mouse did not take it, as every
// setting command says it.
struct SettingEdit;
void throwUnlessEdited(const SettingEdit& edit, std::uint8_t sensorType);

// Makes `work(context)` what the command does once the whole line is parsed
// (unless the line goes to the running Varcel); returns the command. (A
// template, so that this header needs no CLI11.)
template <typename Command, typename Work>
Command* runs(Command* command, CliContext& context, Work work)
{
    command->callback([&context, work] { context.run = [&context, work] { return work(context); }; });
    return command;
}

// Adds the subcommand `name` of `parent` whose one required word, NAME, is
// what its work takes; returns it.
CLI::App* addNamed(CLI::App* parent, CliContext& context, const std::string& name, const std::string& description,
                   const std::string& nameHelp, std::function<int(CliContext&, const std::string&)> work);

// What "varcelctl apply" does: the data folder's configuration to the mouse,
// then config.bin and the labels saved. Returns the exit status.
int applyConfiguration(CliContext& context);

// A profile is small; a limit keeps a wrong file name from reading gigabytes.
inline constexpr std::size_t kMaxProfileFileSize = std::size_t{16} << 20;

// An exported profile's text to FILE as export writes it: standard output,
// a FIFO or terminal as a stream, a regular file replaced whole. Returns the
// exit status or throws CliError.
int writeProfileText(CliContext& context, const std::string& file, const std::string& text);

} // namespace varcel
