// Commands that talk to the mouse: apply, sensor, device, watch, and sim
// (the simulated mouse's remote control).
#include "cli/cli_context.h"
#include "device/config_store.h"
#include "device/sim/sim_control.h"
#include "lang/language.h"
#include "platform/data_files.h"

#include <CLI/CLI.hpp>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <iostream>
#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace varcel {

int applyConfiguration(CliContext& context)
{
    Workspace& workspace = context.workspace();
    context.lockDataFolder();
    throwIf(workspace.loadConfig(), text::kNothingSentOrSaved);
    throwIf(workspace.loadLabels(), text::kNothingSentOrSaved);
    workspace.setFirstRunLabels();
    context.connect();
    throwUnlessApplied(workspace.apply(context.session()));
    std::cout << "Applied " << workspace.config().path().string() << " to the mouse.\n";
    return 0;
}

namespace {

void printSensor(const SensorRecord& r)
{
    char text[128];
    std::snprintf(text, sizeof text, "Sensor type %u, rate 0x%02X, option 1 0x%02X, option 2 0x%02X\n", r.type, r.rate,
                  r.option1, r.option2);
    std::cout << text;
}

int sensor(CliContext& context, bool exchange)
{
    context.connect();
    DeviceCommands& commands = context.session().commands();
    const auto before = commands.readSensorRecord();
    if (!before)
        throw CliError{"the mouse did not answer the read of its sensor record"};
    printSensor(*before);
    if (exchange) {
        const auto after = commands.exchangeSensorRecord();
        if (!after)
            throw CliError{"the sensor exchange did not complete: the mouse did not answer, or did not take the "
                           "record back"};
        std::cout << "After the exchange:\n";
        printSensor(*after);
    }
    return 0;
}

void printMatrix(std::size_t number, const std::array<std::uint8_t, 64>& m)
{
    std::cout << "Key matrix " << number << ":";
    bool any = false;
    for (std::size_t slot = 0; slot < kKeyMatrixSlots; ++slot) {
        ButtonCode code{};
        std::copy_n(m.begin() + 4 * slot, 4, code.begin());
        if (code == ButtonCode{})
            continue;
        any = true;
        std::cout << "\n  slot " << slot << ": " << hexBytes(code) << "  " << describeButtonCode(code);
    }
    std::cout << (any ? "\n" : " all off\n");
}

int device(CliContext& context)
{
    if (SimMouse* sim = (context.backend(), context.sim())) {
        const SimMemory m = sim->memory();
        std::cout << "Simulated mouse (" << (sim->plugged() ? "plugged in" : "unplugged") << "), memory in "
                  << (context.dataDir().path / kSimMemoryFileName).string() << "\n";
        std::cout << "Report rate code: " << int(m.reportRate) << "\n";
        printSensor({m.sensor[0], m.sensor[1], m.sensor[2], m.sensor[3]});
        std::cout << "RGB effect: " << hexBytes(m.rgbEffect) << "\n";
        std::cout << "DPI: count " << int(m.dpi[0]) << ", codes " << hexBytes(std::span(m.dpi).subspan(1)) << "\n";
        std::cout << "Colour block 0: " << hexBytes(m.colourBlocks[0]) << "\n";
        std::cout << "Colour block 1: " << hexBytes(m.colourBlocks[1]) << "\n";
        std::cout << "Colour block 2: " << hexBytes(m.dpiColourBits) << "\n";
        for (std::size_t i = 0; i < m.keyMatrices.size(); ++i)
            printMatrix(i + 1, m.keyMatrices[i]);
        for (std::size_t i = 0; i < m.macros.size(); ++i) {
            const bool empty = std::all_of(m.macros[i].begin(), m.macros[i].end(), [](auto b) { return b == 0; });
            std::cout << "Macro " << i + 1 << ": " << (empty ? "empty" : hexBytes(m.macros[i])) << "\n";
        }
        return 0;
    }
    // A real mouse only tells what its read-backs give.
    HidLink& link = context.connect();
    DeviceCommands& commands = context.session().commands();
    link.beginOperation();
    // Only what came back is shown; a gap is said as a gap, never as zeros.
    int gaps = 0;
    if (const auto record = commands.readSensorRecord()) {
        printSensor(*record);
    } else {
        std::cout << "Sensor record: no answer\n";
        ++gaps;
    }
    auto readBack = [&](std::uint8_t command, std::uint8_t index, const char* name) {
        std::array<std::uint8_t, 256> data{};
        CommandReport reply{command, index};
        const DataExchangeResult got = link.exchangeCommandWithData(reply, data);
        if (!got.answered) {
            std::cout << name << " " << int(index) << ": no answer\n";
            ++gaps;
            return;
        }
        const std::size_t received = std::min<std::size_t>({reply[2], got.reportsDone * kDataSize, data.size()});
        std::cout << name << " " << int(reply[1]) << ": " << hexBytes(std::span(data).first(received));
        if (!got.complete()) {
            std::cout << "  (" << got.reportsDone << " of " << got.reportsAnnounced << " data reports came)";
            ++gaps;
        }
        std::cout << "\n";
    };
    for (std::uint8_t index = 0; index < 3; ++index)
        readBack(cmd::kColourRead, index, "Colour block");
    for (std::uint8_t n = 1; n <= kMacroCount; ++n)
        readBack(cmd::kMacroRead, n, "Macro");
    if (gaps)
        throw CliError{"the mouse did not answer every read-back (" + std::to_string(gaps) + " missing or cut)"};
    return 0;
}

int watch(CliContext& context)
{
    const int signalFd = watchSignalsFd();

    DeviceSession& session = context.session();
    context.backend();
    MouseSource* mouse = context.mouseSource();
    if (!mouse)
        throw usage("\"watch\" runs in varcelctl itself");
    HotplugSource* hotplug = &mouse->hotplug();
    SimControlServer* control = mouse->control();
    if (control && !control->listening())
        throw CliError{std::string(text::kSimControlNotTaken(systemLanguage())) + ": " +
                       failureText(*control->problem(), systemLanguage())};
    if (!control && hotplug->fd() < 0)
        throw CliError{"RegisterDeviceNotification failed!!! (udev is not reachable, so plugging and "
                       "unplugging cannot be followed)"};
    session.setOnGone([] { std::cout << "gone" << std::endl; });
    std::cout << "Watching the mouse; Ctrl+C ends." << std::endl;
    session.start();
    if (session.broken())
        throw CliError{"CreateEvent failed. (the reader's wake-up could not be made)"};

    for (;;) {
        std::vector<pollfd> fds{{signalFd, POLLIN, 0}, {hotplug->fd(), POLLIN, 0}};
        if (control)
            fds.push_back({control->fd(), POLLIN, 0});
        if (::poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR)
            break;
        if (fds[0].revents & POLLIN)
            break;
        if (fds[1].revents & POLLIN)
            session.handleHotplug(hotplug->drain());
        if (control && (fds[2].revents & POLLIN))
            control->serve();
    }
    session.stop();
    ::close(signalFd);
    return 0;
}

int simCommand(CliContext& context, const std::vector<std::string>& words)
{
    if (words.empty())
        throw usage("sim needs a command: plug, unplug, notify KIND VALUE, fault NAME [N] or state");
    std::string line = words[0];
    if (words[0] == "notify") {
        if (words.size() != 3)
            throw usage("sim notify takes a kind (report-rate, dpi-stage, key-matrix, macro or a code) and a value");
        std::string code = words[1];
        if (const auto named = statusCodeFromName(words[1]))
            code = std::to_string(static_cast<int>(*named));
        line += " " + code + " " + words[2];
    } else {
        for (std::size_t i = 1; i < words.size(); ++i)
            line += " " + words[i];
    }
    const Result<std::string> sent = sendSimControl(context.dataDir().path, line);
    throwIf(sent.problem);
    const std::string& answer = sent.value;
    if (answer.rfind("ok", 0) != 0)
        throw CliError{answer.empty() ? "the running program did not answer" : answer};
    std::cout << answer.substr(answer.size() > 3 ? 3 : answer.size()) << "\n";
    return 0;
}

sigset_t watchSignals()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    return signals;
}

} // namespace

void blockWatchSignals()
{
    const sigset_t signals = watchSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

int watchSignalsFd()
{
    // Signals arrive as a descriptor, so a watch loop has one place to wait.
    blockWatchSignals();
    const sigset_t signals = watchSignals();
    const int signalFd = ::signalfd(-1, &signals, SFD_CLOEXEC);
    if (signalFd < 0)
        throw CliError{"cannot watch for signals: " + std::string(std::strerror(errno))};
    return signalFd;
}

void addSessionCommands(CLI::App& app, CliContext& context)
{
    runs(app.add_subcommand("apply",
                            "Send the data folder's configuration to the mouse, then save config.bin and the labels"),
         context, applyConfiguration);

    auto* sensorCmd = app.add_subcommand("sensor", "Read the mouse's sensor record");
    CLI::Option* exchange =
        sensorCmd->add_flag("--exchange")
            ->description("Run the sensor exchange the program runs when the mouse arrives (sets bit 6 of option 2)");
    runs(sensorCmd, context, [exchange](CliContext& cli) { return sensor(cli, exchange->count() > 0); });

    runs(app.add_subcommand(
             "device", "Show what the mouse holds (all of it for the simulated mouse; the read-backs for a real one)"),
         context, device);
    runs(app.add_subcommand(
             "watch", "Follow the mouse being plugged and unplugged and its own switches, one line each, until Ctrl+C"),
         context, watch);

    auto* simCmd = app.add_subcommand(
        "sim", "Remote control of the simulated mouse of a running program: plug, unplug, notify KIND VALUE, "
               "fault NAME [N], state");
    auto words = std::make_shared<std::vector<std::string>>();
    simCmd->add_option("words", *words, "plug | unplug | notify KIND VALUE | fault NAME [N] | state")->required();
    runs(simCmd, context, [words](CliContext& cli) { return simCommand(cli, *words); });
}

} // namespace varcel
