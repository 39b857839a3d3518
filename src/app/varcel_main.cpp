// Varcel: the tray program and its window.
#include "cli/hosted_varcelctl.h"
#include "control/mouse_source.h"
#include "device/link_constants.h"
#include "lang/failure_texts.h"
#include "lang/language.h"
#include "platform/data_dir.h"
#include "platform/data_files.h"
#include "platform/precise_pause.h"
#include "ui/bus_server.h"
#include "ui/focus_follow.h"
#include "ui/main_window.h"

#include <CLI/CLI.hpp>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QStandardPaths>

#include <csignal>
#include <cstdint>
#include <fcntl.h>
#include <iostream>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// Written by the signal handler, read by the event loop: the only thing a
// handler may safely do is write to a descriptor.
int g_signalWake = -1;

extern "C" void wakeOnSignal(int)
{
    const std::uint64_t one = 1;
    [[maybe_unused]] auto n = ::write(g_signalWake, &one, sizeof one);
}

// SIGTERM (logout, shutdown), SIGINT (Ctrl+C) and SIGHUP (the terminal gone)
// end the program through its normal exit: the reader joined, the control
// socket removed, the single-instance lock released.
bool endOnSignals()
{
    g_signalWake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (g_signalWake < 0)
        return false;
    struct sigaction action {};
    action.sa_handler = wakeOnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace varcel;
    usePreciseTimers();
    CLI::App cli{"Varcel: configuration of the Varcel gaming mouse (USB 04D9:A09F)", "varcel"};
    bool simulate = false;
    std::string dataDirOption;
    std::string simFault = "none";
    std::string simLink;
    cli.add_flag("--simulate", simulate, "Use the built-in simulated mouse");
    cli.add_option("--data-dir", dataDirOption, "Folder of config.bin, record.ini, str.ini and Skins")
        ->check(CLI::ExistingDirectory);
    cli.add_option("--sim-fault", simFault, "Make the simulated mouse misbehave (see varcelctl --help)");
    cli.add_option("--sim-link", simLink, "Make the simulated mouse scramble with these link constants (KEY:TABLE)")
        ->check(CLI::Validator(
            [](std::string& text) { return parseLinkOption(text) ? std::string() : "not KEY:TABLE in hex"; },
            "KEY:TABLE"));
    cli.set_version_flag("--version", std::string("varcel ") + VARCEL_VERSION);
    // Qt's own options (-platform, ...) pass through until Qt has taken them.
    cli.allow_extras();
    try {
        cli.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // CLI11 prints its message; every usage error is status 2.
        return cli.exit(e) == 0 ? 0 : 2;
    }

    QApplication app(argc, argv);
    // Qt took its own options out of argv: whatever else is left and Varcel
    // does not know either is refused, so a mistyped option is not passed
    // over in silence (a "--data-dir" typed wrong would give another folder).
    cli.allow_extras(false);
    try {
        cli.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return cli.exit(e) == 0 ? 0 : 2;
    }
    QApplication::setApplicationName(QStringLiteral("Varcel"));
    // The installed menu entry's name, so the desktop shows its icon and name for the window.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.varcel.Varcel"));
    QApplication::setQuitOnLastWindowClosed(false);
    const bool signalsWatched = endOnSignals();
    if (!signalsWatched)
        std::cerr << "varcel: cannot watch for signals; ending it by a signal may lose the control socket\n";

    // One Varcel per user: a second start ends at once, quietly. The lock is
    // the kernel's, held on the open file until the process ends however it
    // ends, and taking it waits for no disk (the runtime folder may be on one).
    QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty())
        runtime = QDir::tempPath();
    const QByteArray lockPath = QFile::encodeName(runtime + QStringLiteral("/VarcelSPANMutex.lock"));
    const int instance = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (instance < 0 || ::flock(instance, LOCK_EX | LOCK_NB) != 0)
        return 0;

    std::optional<std::filesystem::path> override;
    if (!dataDirOption.empty())
        override = dataDirOption;
    Result<DataDir> resolved = resolveDataDir(override, installedDataDir());
    if (resolved.problem) {
        std::cerr << "varcel: " << failureText(*resolved.problem, systemLanguage()) << "\n";
        return 1;
    }
    DataDir& dataDir = resolved.value;
    // Commands run here for varcelctl see the caller's working folder.
    dataDir.path = std::filesystem::absolute(dataDir.path);

    MouseOpened opened = MouseSource::open({simulate, simFault, 0, simLink, {}}, dataDir.path);
    if (!opened.source) {
        std::cerr << "varcel: " << failureText(*opened.problem, systemLanguage()) << "\n";
        return opened.unknownFault ? 2 : 1;
    }
    MouseSource& mouse = *opened.source;
    SimControlServer* control = mouse.control();
    if (control && !control->listening())
        std::cerr << "varcel: " << text::kSimControlNotTaken(systemLanguage()) << ": "
                  << failureText(*control->problem(), systemLanguage()) << "\n";

    // The window and the tray icon take it from here: drawn once.
    QApplication::setWindowIcon(ui::appIcon());
    ui::CHidMouseDlg::Options options;
    options.dataDir = dataDir.path;
    options.language = systemLanguage();
    options.trayAvailable = QSystemTrayIcon::isSystemTrayAvailable();
    ui::CHidMouseDlg window(options, mouse.backend());
    QObject::connect(&window, &ui::CHidMouseDlg::exitRequested, &app, &QApplication::quit);
    window.watchHotplug(mouse.hotplug());
    window.controller().setHotplugAvailable(mouse.hotplug().fd() >= 0);
    if (control)
        window.watchSimControl(*control);
    // The link constants the user set or learned for this mouse.
    const LinkFileRead link = readLinkFile(dataDir.path);
    if (link.problem)
        std::cerr << "varcel: " << failureText(*link.problem, systemLanguage()) << "\n";
    window.controller().session().link().setLinkConstants(link.constants);
    // Watched from here on: a signal that came earlier is still counted in the
    // descriptor and is taken as soon as a loop runs, that of a start-up box too.
    std::unique_ptr<QSocketNotifier> signalNotifier;
    if (signalsWatched) {
        signalNotifier = std::make_unique<QSocketNotifier>(g_signalWake, QSocketNotifier::Read);
        QObject::connect(signalNotifier.get(), &QSocketNotifier::activated, &app, [&window] {
            std::uint64_t count = 0;
            [[maybe_unused]] auto n = ::read(g_signalWake, &count, sizeof count);
            window.endNow();
            // exit, not quit: no window may turn the ending down.
            QApplication::exit(0);
        });
    }

    // The window follows its files, and scripts, panels and varcelctl reach
    // this program on the session bus.
    const CliHost host{&mouse.backend(), &window.controller().session(), mouse.sim()};
    // Taken once the window's start is done and the event loop runs: the
    // tray icon's docking need not wait for the bus's round trips nor the
    // desktop's focus connection.
    std::optional<ProgramService> bus;
    std::optional<ui::FocusFollow> following;
    const auto joinDesktop = [&] {
        ProgramService& service =
            bus.emplace(window, simulate, [&](const std::vector<std::string>& args, const std::string* input) {
                return runHostedVarcelctl(args, dataDir.path, simulate, host, input);
            });
        if (!service.followsFiles())
            std::cerr
                << "varcel: the data folder cannot be watched; files changed by other programs show after a restart\n";
        if (QString why; !service.start(&why))
            std::cerr << "varcel: not on the session bus (" << why.toStdString()
                      << "); varcelctl works on the files alone\n";

        // Profiles follow the application in front where the desktop tells it.
        ui::FocusFollow& focus = following.emplace(window, service.service());
        focus.follower().onSwitched = [](const std::string& profile) {
            std::cout << "varcel: switched to profile " << profile << " for the application in front" << std::endl;
        };
        focus.follower().onNotice = [](const std::string& words) { std::cerr << "varcel: " << words << std::endl; };
        std::string focusProblems;
        for (const FocusBackend focusBackend : focusBackendsToTry()) {
            std::string why;
            if (focus.start(focusBackend,
                            QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation).toStdString(), &why)) {
                std::cout << "varcel: profiles follow the application in front through "
                          << focusBackendName(focusBackend) << std::endl;
                focusProblems.clear();
                break;
            }
            focusProblems +=
                (focusProblems.empty() ? "" : "; ") + std::string(focusBackendName(focusBackend)) + ": " + why;
        }
        if (!focusProblems.empty())
            std::cerr << "varcel: profiles do not follow the application in front (" << focusProblems << ")\n";
    };
    QObject::connect(&window, &ui::CHidMouseDlg::startedUp, &window, joinDesktop, Qt::QueuedConnection);
    window.startUp();

    const int status = window.ending() ? 0 : app.exec();
    window.controller().exit();
    if (!mouse.saveSimMemory())
        std::cerr << "varcel: the simulated mouse's memory could not be saved in " << dataDir.path.string() << "\n";
    return status;
}
