// The running program on a private session bus, its window offscreen on the
// simulated mouse: varcelctl goes through it, outside clients read and
// follow it, the window follows its files, and doctor says what is wrong.
#include "cli/cli_context.h"
#include "device/sim/sim_backend.h"
#include "device/sim/sim_control.h"
#include "service/bus_probe.h"
#include "support/cli_run.h"
#include "ui/bus_server.h"
#include "ui/focus_follow.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTimer>

// Qt's "signals" keyword would stand for a field name of GIO's.
#pragma push_macro("signals")
#undef signals
#include <gio/gio.h>
#pragma pop_macro("signals")
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <fstream>
#include <future>
#include <mutex>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>

namespace varcel::ui {
namespace {

// Runs `command` in a shell, the event loop turning meanwhile (it may come
// back through the bus); `$CTL` is varcelctl on the test's folder.
test::CliRun shell(const std::string& command, const test::TempDir& dir)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("CTL",
               QString::fromStdString(std::string(VARCELCTL_PATH) + " --simulate --data-dir " + dir.path().string()));
    env.insert("VARCEL_POINTER_SETTINGS", "stored");
    process.setProcessEnvironment(env);
    process.start("sh", {"-c", QString::fromStdString(command)});
    // An end the event loop took in is not waited for again.
    while (process.state() != QProcess::NotRunning && !process.waitForFinished(5))
        QCoreApplication::processEvents();
    return {process.exitCode(), process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
}

template <typename Done>
bool waitFor(Done done)
{
    for (int i = 0; i < 1000 && !done(); ++i) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return done();
}

// Answers the window's question about unsaved changes with the button `choice`.
struct Answer {
    explicit Answer(QString button) : choice(std::move(button))
    {
        QTimer::singleShot(0, [this] { answer(); });
    }
    void answer()
    {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            asked = box->text().toStdString();
            for (QAbstractButton* button : box->buttons())
                if (button->text() == choice)
                    button->click();
            return;
        }
        QTimer::singleShot(5, [this] { answer(); });
    }
    QString choice;
    std::string asked;
};

std::vector<std::uint8_t> configFile(const test::TempDir& dir) { return test::readBytes(dir / "config.bin"); }

class Running : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::copy_file(VARCEL_DEFAULT_CONFIG, dir / "config.bin");
        std::filesystem::create_directories(dir / "Skins");
        std::filesystem::create_directory_symlink(std::filesystem::path(VARCEL_SKINS_DIR) / "Dark", dir / "Skins/Dark");
        window = std::make_unique<CHidMouseDlg>(CHidMouseDlg::Options{dir.path(), Language::English, true}, backend);
        window->startUp();
        window->trayActivated();
        window->watchSimControl(control);
        host.session = &window->controller().session();
        service = std::make_unique<ProgramService>(*window, true, [this](const auto& args, const auto* input) {
            return runHostedVarcelctl(args, dir.path(), true, host, input);
        });
        QString why;
        ASSERT_TRUE(service->start(&why)) << why.toStdString();
    }
    ConfigImage& image() { return window->controller().config().working(); }
    std::uint8_t kind(std::size_t slot) { return image()[img::at(Layer::A, img::LayerArray::Kind, slot)]; }
    std::array<std::uint8_t, 4> mouseButton(std::size_t slot)
    {
        const SimMemory memory = mouse.memory();
        const auto& matrix = memory.keyMatrices[0];
        return {matrix[4 * slot], matrix[4 * slot + 1], matrix[4 * slot + 2], matrix[4 * slot + 3]};
    }

    test::TempDir dir;
    SimMouse mouse{dir / "simulated-mouse.bin"};
    SimBackend backend{mouse};
    SimControlServer control{mouse, dir.path()};
    std::unique_ptr<CHidMouseDlg> window;
    CliHost host{&backend, nullptr, &mouse};
    std::unique_ptr<ProgramService> service;
    void TearDown() override { service.reset(); }
};

constexpr std::size_t kRate = 1 + img::kReportRate;
const std::size_t kButton3Kind = 1 + img::at(Layer::A, img::LayerArray::Kind, 2);

TEST_F(Running, CommandsGoThroughItSoTheWindowsApplyKeepsThem)
{
    EXPECT_EQ(shell("$CTL rate 250 --apply", dir).status, 0);
    EXPECT_EQ(shell("$CTL button A 3 single-key F5", dir).status, 0);
    ASSERT_TRUE(waitFor([&] { return image()[img::kReportRate] == 4 && kind(2) == 11; }));
    window->controller().apply();
    EXPECT_EQ(configFile(dir)[kRate], 4);
    EXPECT_EQ(configFile(dir)[kButton3Kind], 11);
    const auto labels = test::readBytes(dir / "str.ini");
    EXPECT_NE(std::string(labels.begin(), labels.end()).find("Item3=Single Key-F5"), std::string::npos);
    // One simulated mouse, the running program's: the commands' apply and
    // the window's reached it.
    EXPECT_EQ(mouse.memory().reportRate, 4);
    EXPECT_EQ(mouseButton(2), (std::array<std::uint8_t, 4>{0, 0, 0x3E, 0}));
}

TEST_F(Running, UnsavedEditsAreTheUsersToKeepWhenTheFilesChange)
{
    // A DPI stage changed in the window and not applied, then a command.
    const std::size_t dpi2 = img::kDpiValue + 1;
    image()[dpi2] = static_cast<std::uint8_t>(image()[dpi2] + 1);
    const std::uint8_t edited = image()[dpi2];
    Answer keep("Keep my changes");
    EXPECT_EQ(shell("$CTL button A 4 single-key F6", dir).status, 0);
    ASSERT_TRUE(waitFor([&] { return kind(3) == 11; }));
    EXPECT_NE(keep.asked.find("config.bin was changed by another program"), std::string::npos);
    EXPECT_EQ(image()[dpi2], edited);
    EXPECT_NE(configFile(dir)[1 + dpi2], edited);
    window->controller().apply();
    EXPECT_EQ(configFile(dir)[1 + dpi2], edited);
    EXPECT_EQ(configFile(dir)[1 + img::at(Layer::A, img::LayerArray::Kind, 3)], 11);

    // config.bin replaced on disk: taken and drawn, without a question.
    const QImage before = window->canvas();
    auto file = configFile(dir);
    file[kRate] = 8;
    test::writeBytes(dir / "config.new", file);
    std::filesystem::rename(dir / "config.new", dir / "config.bin");
    ASSERT_TRUE(waitFor([&] { return image()[img::kReportRate] == 8; }));
    EXPECT_NE(window->canvas(), before);

    // Again with an unsaved edit, and the user takes the file.
    image()[dpi2] = static_cast<std::uint8_t>(edited + 1);
    Answer take("Take the file");
    file[kRate] = 2;
    test::writeBytes(dir / "config.new", file);
    std::filesystem::rename(dir / "config.new", dir / "config.bin");
    ASSERT_TRUE(waitFor([&] { return image()[img::kReportRate] == 2; }));
    EXPECT_FALSE(take.asked.empty());
    EXPECT_EQ(image()[dpi2], edited);

    // The whole folder moved away and made anew: the watch follows the name.
    const std::filesystem::path old = dir.path().string() + ".old";
    std::filesystem::rename(dir.path(), old);
    std::filesystem::create_directory(dir.path());
    file[kRate] = 1;
    test::writeBytes(dir / "config.bin", file);
    EXPECT_TRUE(waitFor([&] { return image()[img::kReportRate] == 1; }));
    std::filesystem::remove_all(old);
}

TEST_F(Running, OutsideClientsReadFollowAndApply)
{
    const std::string path = "io.github.varcel.Varcel /io/github/varcel/Varcel io.github.varcel.Varcel1";
    EXPECT_EQ(shell("busctl --user get-property " + path + " MousePresent ReportRate", dir).out, "b true\nu 1000\n");
    QProcess monitor;
    monitor.start("gdbus", {"monitor", "--session", "-d", "io.github.varcel.Varcel"});
    ASSERT_TRUE(waitFor([&] { return monitor.bytesAvailable() > 0; }));
    EXPECT_EQ(shell("$CTL sim notify dpi-stage 3", dir).status, 0);
    std::string seen;
    EXPECT_TRUE(waitFor([&] {
        seen += monitor.readAllStandardOutput().toStdString();
        return seen.find("{'DpiStage': <uint32 3>}") != std::string::npos;
    })) << seen;
    monitor.kill();
    monitor.waitForFinished();
    const auto call = shell("gdbus call --session -d io.github.varcel.Varcel -o /io/github/varcel/Varcel -m "
                            "io.github.varcel.Varcel1.SetButtonFunction A 3 \"['single-key', 'F7']\" true",
                            dir);
    EXPECT_EQ(call.status, 0) << call.err;
    EXPECT_EQ(mouseButton(2), (std::array<std::uint8_t, 4>{0, 0, 0x40, 0}));

    // Named profiles: the list and the active one as properties, which
    // follow a load through the method.
    ASSERT_EQ(shell("$CTL profile save Game && $CTL button A 3 single-key F8 && $CTL profile save Desk", dir).status, 0);
    EXPECT_EQ(shell("busctl --user get-property " + path + " Profiles ActiveProfile", dir).out,
              "as 2 \"Desk\" \"Game\"\ns \"Desk\"\n");
    monitor.start("gdbus", {"monitor", "--session", "-d", "io.github.varcel.Varcel"});
    ASSERT_TRUE(waitFor([&] { return monitor.bytesAvailable() > 0; }));
    const auto load = shell("gdbus call --session -d io.github.varcel.Varcel -o /io/github/varcel/Varcel -m "
                            "io.github.varcel.Varcel1.LoadProfile Game",
                            dir);
    EXPECT_EQ(load.status, 0) << load.err;
    EXPECT_EQ(mouseButton(2), (std::array<std::uint8_t, 4>{0, 0, 0x40, 0})) << "the mouse holds Game's F7 again";
    seen.clear();
    EXPECT_TRUE(waitFor([&] {
        seen += monitor.readAllStandardOutput().toStdString();
        return seen.find("'ActiveProfile': <'Game'>") != std::string::npos;
    })) << seen;
    monitor.kill();
    monitor.waitForFinished();
    ASSERT_TRUE(waitFor([&] { return kind(2) == 11 && image()[img::at(Layer::A, img::LayerArray::SingleKey, 2)] == 0x40; }))
        << "the window took the loaded profile";
    EXPECT_NE(shell("gdbus call --session -d io.github.varcel.Varcel -o /io/github/varcel/Varcel -m "
                    "io.github.varcel.Varcel1.LoadProfile ../x",
                    dir)
                  .err.find("Error.Usage"),
              std::string::npos);
}

// KWin's scripting interface as KWin answers it, on a thread of its own
// (Varcel's calls to it wait for the answer), recording each call.
class FakeKWin {
public:
    FakeKWin()
    {
        std::promise<void> ready;
        m_thread = std::thread([this, &ready] {
            g_main_context_push_thread_default(m_context);
            GDBusConnection* bus = g_dbus_connection_new_for_address_sync(
                std::getenv("DBUS_SESSION_BUS_ADDRESS"),
                GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                     G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
                nullptr, nullptr, nullptr);
            GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(
                "<node><interface name='org.kde.kwin.Scripting'><method name='loadScript'><arg type='s'/>"
                "<arg type='s'/><arg type='i' direction='out'/></method><method name='start'/>"
                "<method name='unloadScript'><arg type='s'/><arg type='b' direction='out'/></method></interface></node>",
                nullptr);
            static const GDBusInterfaceVTable table{&FakeKWin::call, nullptr, nullptr, {}};
            g_dbus_connection_register_object(bus, "/Scripting", node->interfaces[0], &table, this, nullptr, nullptr);
            g_variant_unref(g_dbus_connection_call_sync(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                        "org.freedesktop.DBus", "RequestName",
                                                        g_variant_new("(su)", "org.kde.KWin", 0u), nullptr,
                                                        G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr));
            ready.set_value();
            g_main_loop_run(m_loop);
            g_dbus_node_info_unref(node);
            g_object_unref(bus);
        });
        ready.get_future().wait();
    }
    ~FakeKWin()
    {
        g_main_loop_quit(m_loop);
        m_thread.join();
        g_main_loop_unref(m_loop);
        g_main_context_unref(m_context);
    }
    std::vector<std::string> calls()
    {
        std::lock_guard lock(m_mutex);
        return m_calls;
    }

private:
    static void call(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* method,
                     GVariant* args, GDBusMethodInvocation* invocation, gpointer self)
    {
        auto* fake = static_cast<FakeKWin*>(self);
        std::string line = method;
        for (gsize i = 0; i < g_variant_n_children(args); ++i) {
            GVariant* arg = g_variant_get_child_value(args, i);
            line += std::string(" ") + g_variant_get_string(arg, nullptr);
            g_variant_unref(arg);
        }
        std::lock_guard lock(fake->m_mutex);
        fake->m_calls.push_back(line);
        const std::string name = method;
        g_dbus_method_invocation_return_value(invocation, name == "loadScript"     ? g_variant_new("(i)", 0)
                                                          : name == "unloadScript" ? g_variant_new("(b)", TRUE)
                                                                                   : nullptr);
    }

    GMainContext* m_context = g_main_context_new();
    GMainLoop* m_loop = g_main_loop_new(m_context, FALSE);
    std::mutex m_mutex;
    std::vector<std::string> m_calls;
    std::thread m_thread;
};

// On KDE Plasma under Wayland: the script is loaded and started through
// KWin's scripting interface and unloaded at the end; its call to Varcel
// switches the profile.
TEST_F(Running, TheKWinScriptIsLoadedAndUnloadedAndItsCallSwitchesTheProfile)
{
    ASSERT_EQ(shell("$CTL profile save Desk && $CTL button A 3 single-key F8 && $CTL profile save Game && "
                    "$CTL profile load Desk --apply && $CTL profile rule add class GameWindow Game",
                    dir)
                  .status,
              0);
    const std::string script = (dir / "varcel-focus.js").string();
    FakeKWin kwin;
    {
        FocusFollow focus(*window, service->service());
        std::string why;
        ASSERT_TRUE(focus.start(FocusBackend::KWin, dir.path(), &why)) << why;
        EXPECT_EQ(kwin.calls(), (std::vector<std::string>{"unloadScript varcel-focus",
                                                          "loadScript " + script + " varcel-focus", "start"}));
        const auto text = test::readBytes(script);
        const std::string js(text.begin(), text.end());
        for (const char* part : {"callDBus(\"io.github.varcel.Varcel\", \"/io/github/varcel/Varcel\", "
                                 "\"io.github.varcel.Varcel1\", \"FocusChanged\",",
                                 "window.resourceClass", "workspace.windowActivated.connect(report)",
                                 "workspace.clientActivated.connect(report)"})
            EXPECT_NE(js.find(part), std::string::npos) << part << "\n" << js;
        // The call the script makes, with the types KWin gives its values.
        const auto call = shell("gdbus call --session -d io.github.varcel.Varcel -o /io/github/varcel/Varcel -m "
                                "io.github.varcel.Varcel1.FocusChanged steam.desktop GameWindow game 0",
                                dir);
        EXPECT_EQ(call.status, 0) << call.err;
        EXPECT_TRUE(waitFor([&] { return focus.follower().switches() == 1; }));
        EXPECT_EQ(mouseButton(2), (std::array<std::uint8_t, 4>{0, 0, 0x41, 0})) << "Game's F8";
    }
    EXPECT_EQ(kwin.calls().back(), "unloadScript varcel-focus");
}

TEST_F(Running, DoctorSaysWhatIsWrongAndHowToFixIt)
{
    QDBusConnection::sessionBus().registerService("org.kde.StatusNotifierWatcher");
    const auto healthy = shell("unset DISPLAY; $CTL doctor", dir);
    EXPECT_EQ(healthy.status, 0) << healthy.out;

    // Someone else where the test runs as root, so that permissions count.
    const std::string other = ::getuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups -- " : "";
    std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
    test::writeBytes(dir / "node", {});
    std::filesystem::permissions(dir / "node", std::filesystem::perms::none);
    std::filesystem::create_directories(dir / "rules");
    test::writeBytes(dir / "rules/70-varcel.rules", {});
    const std::string nodes = "VARCEL_DOCTOR_NODES=" + (dir / "node").string() + " ";
    struct Row {
        std::string command;
        std::string line;
    } rows[] = {
        {nodes + "VARCEL_UDEV_RULES_DIRS=/nonexistent $CTL doctor",
         "FIX  udev rule: 70-varcel.rules is not installed; copy packaging/70-varcel.rules to /etc/udev/rules.d/"},
        {nodes + "VARCEL_UDEV_RULES_DIRS=" + (dir / "rules").string() + " " + other + "$CTL doctor",
         "FIX  device access: this user may not open " + (dir / "node").string() + "; install the udev rule"},
        {"unset DISPLAY; $CTL doctor", "FIX  tray: no tray host"},
        {"chmod 0 str.ini; " + other + "$CTL doctor", "cannot be read; give it back to this user with \"chmod u+rw "},
    };
    test::writeBytes(dir / "str.ini", {});
    QDBusConnection::sessionBus().unregisterService("org.kde.StatusNotifierWatcher");
    for (const Row& row : rows) {
        const auto run = shell("cd '" + dir.path().string() + "' && " + row.command, dir);
        EXPECT_EQ(run.status, 1) << row.command;
        EXPECT_NE(run.out.find(row.line), std::string::npos) << row.command << "\n" << run.out;
    }
}

// varcelctl's quick look at the bus before it loads GIO: where it cannot be
// sure it answers Unknown (and GIO asks again), never None.
TEST(BusProbe, TellsWhetherANameIsOwnedAndIsUnsureRatherThanWrong)
{
    test::TempDir dir;
    // Sockets that take the connection and then say nothing, or nonsense.
    auto listening = [&](const std::string& name) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un where{};
        where.sun_family = AF_UNIX;
        std::strcpy(where.sun_path, (dir / name).c_str());
        EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&where), sizeof where), 0);
        EXPECT_EQ(::listen(fd, 4), 0);
        return fd;
    };
    const int silent = listening("silent");
    const int babbling = listening("babbling");
    std::thread babble([babbling] {
        const int peer = ::accept(babbling, nullptr, nullptr);
        const std::string reply("OK 1\r\nl\2\1\1\377\377\377\177\1\0\0\0\0\0\0\0", 22);
        EXPECT_EQ(::write(peer, reply.data(), reply.size()), static_cast<ssize_t>(reply.size()));
        char sink[512];
        while (::read(peer, sink, sizeof sink) > 0) {
        }
        ::close(peer);
    });
    ASSERT_TRUE(QDBusConnection::sessionBus().registerService("io.github.varcel.ProbeTest"));
    const std::string bus = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    const std::string escaped = QString::fromStdString(bus).replace("/", "%2f").toStdString();
    const struct {
        std::string address;
        const char* name;
        NameOwner expected;
    } rows[] = {
        {bus, "io.github.varcel.ProbeTest", NameOwner::Owned},
        {bus, "io.github.varcel.Nobody", NameOwner::None},
        {escaped, "io.github.varcel.ProbeTest", NameOwner::Owned},
        {"unix:path=/nonexistent/bus;" + bus, "io.github.varcel.ProbeTest", NameOwner::Owned},
        {"unix:path=/nonexistent/bus", "io.github.varcel.ProbeTest", NameOwner::None},
        {"tcp:host=127.0.0.1,port=1", "io.github.varcel.ProbeTest", NameOwner::Unknown},
        {"unix:path=" + (dir / "silent").string(), "io.github.varcel.ProbeTest", NameOwner::Unknown},
        {"unix:path=" + (dir / "babbling").string(), "io.github.varcel.ProbeTest", NameOwner::Unknown},
    };
    for (const auto& row : rows)
        EXPECT_EQ(probeNameOwner(row.address, row.name, std::chrono::milliseconds(300)), row.expected) << row.address;
    ::shutdown(babbling, SHUT_RDWR);
    babble.join();
    ::close(silent);
    ::close(babbling);
    QDBusConnection::sessionBus().unregisterService("io.github.varcel.ProbeTest");
}

} // namespace
} // namespace varcel::ui

// A private session bus for the whole run, before Qt first asks for it.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    FILE* daemon = ::popen("dbus-daemon --session --print-address=1 --print-pid=1 --fork", "r");
    char address[512] = {};
    char pid[32] = {};
    if (!daemon || !std::fgets(address, sizeof address, daemon) || !std::fgets(pid, sizeof pid, daemon)) {
        std::fprintf(stderr, "no dbus-daemon\n");
        return 1;
    }
    ::pclose(daemon);
    address[std::strcspn(address, "\n")] = '\0';
    ::setenv("DBUS_SESSION_BUS_ADDRESS", address, 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    const int status = RUN_ALL_TESTS();
    ::kill(std::atoi(pid), SIGTERM);
    return status;
}
