#include "device/device_session.h"
#include "platform/reporter.h"
#include "device/sim/sim_backend.h"
#include "device/sim/sim_control.h"
#include "device/sim/sim_hotplug.h"
#include "device/sim/sim_mouse.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <sys/socket.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <condition_variable>
#include <fcntl.h>
#include <fstream>
#include <future>
#include <poll.h>
#include <sys/file.h>
#include <thread>

namespace varcel {
namespace {

using namespace std::chrono_literals;

// Collects status codes from any thread and lets the test wait for them.
class StatusQueue : public StatusSink {
public:
    void deviceStatus(StatusCode code, int value) override
    {
        std::lock_guard lock(m_mutex);
        m_items.emplace_back(code, value);
        m_changed.notify_all();
    }
    // Waits until `count` codes arrived (or a generous deadline passed).
    std::vector<std::pair<StatusCode, int>> waitFor(std::size_t count)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, 5s, [&] { return m_items.size() >= count; });
        return m_items;
    }
    std::vector<std::pair<StatusCode, int>> items()
    {
        std::lock_guard lock(m_mutex);
        return m_items;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::pair<StatusCode, int>> m_items;
};

using Status = std::pair<StatusCode, int>;

struct Rig {
    Rig() : backend(mouse), hotplug(mouse), session(backend, reporter, status)
    {
        session.link().setDataTimeout(50ms);
        session.setOnGone([this] { ++gone; });
    }
    // What the window thread does when the hot-plug descriptor polls ready.
    void deliverHotplug()
    {
        pollfd p{hotplug.fd(), POLLIN, 0};
        ASSERT_EQ(::poll(&p, 1, 1000), 1) << "a plug or unplug raises a hot-plug event";
        session.handleHotplug(hotplug.drain());
    }
    SimMouse mouse;
    SimBackend backend;
    SimHotplug hotplug;
    RecordingReporter reporter;
    StatusQueue status;
    DeviceSession session;
    int gone = 0;
};

long voluntarySwitches(int tid)
{
    std::ifstream in("/proc/self/task/" + std::to_string(tid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("voluntary_ctxt_switches:", 0) == 0)
            return std::stol(line.substr(line.find(':') + 1));
    return -1;
}

TEST(DeviceSession, StartWithoutTheMouseThenPlugItIn)
{
    Rig rig;
    rig.mouse.unplug();
    rig.hotplug.drain();
    EXPECT_FALSE(rig.session.start());
    EXPECT_EQ(rig.reporter.messages,
              (std::vector<RecordingReporter::Message>{{"The system did not detect the gaming mouse!", "Warning"}}));
    EXPECT_FALSE(rig.session.readerStarted());

    SimMemory memory;
    memory.sensor = {1, 0, 0, 0};
    rig.mouse.setMemory(memory);
    // A quick unplug and replug reaches the program as one batch: the last
    // event says how things stand.
    rig.mouse.plug();
    rig.hotplug.drain();
    rig.session.handleHotplug({{HotplugEvent::Action::Removal, "sim"}, {HotplugEvent::Action::Arrival, "sim"}});
    EXPECT_TRUE(rig.session.ready());
    EXPECT_TRUE(rig.session.readerStarted());
    EXPECT_EQ(rig.session.commands().sensorType(), 1) << "an arrival runs the sensor exchange";
    EXPECT_EQ(rig.mouse.memory().sensor[3], 0x40);

    // The mouse's own DPI switch now reaches the application.
    rig.mouse.notify(7, 3);
    EXPECT_EQ(rig.status.waitFor(2), (std::vector<Status>{{StatusCode::Detected, 0}, {StatusCode::DpiStageChanged, 3}}))
        << "one plug-in is announced once, though the mouse has two nodes";
}

TEST(DeviceSession, AMouseWithOtherLinkConstantsIsToldAtStartAndOnArrivalAnAbsentOneIsNot)
{
    const std::string notFound = "not found";
    const std::string other = "other constants";
    Rig absent;
    absent.mouse.unplug();
    absent.hotplug.drain();
    absent.session.start(notFound, other);
    EXPECT_EQ(absent.reporter.messages, (std::vector<RecordingReporter::Message>{{notFound, "Warning"}}));

    Rig rig;
    rig.mouse.setLinkConstants(*parseLinkOption("0123456789AB:F0E1D2C3B4A59687"));
    EXPECT_FALSE(rig.session.start(notFound, other));
    rig.mouse.unplug();
    rig.deliverHotplug();
    rig.mouse.plug();
    rig.deliverHotplug();
    EXPECT_EQ(rig.reporter.messages,
              (std::vector<RecordingReporter::Message>{{other, "Warning"}, {other, "Warning"}}));

    // Taught the mouse's constants, the program is accepted on the next arrival.
    rig.session.link().setLinkConstants(*parseLinkOption("0123456789AB:F0E1D2C3B4A59687"));
    rig.mouse.unplug();
    rig.deliverHotplug();
    rig.mouse.plug();
    rig.deliverHotplug();
    EXPECT_TRUE(rig.session.ready());
}

TEST(DeviceSession, OnlyTheFourNotificationCodesAreDelivered)
{
    Rig rig;
    ASSERT_TRUE(rig.session.start());
    for (auto [code, value] : std::vector<std::pair<int, int>>{{6, 1}, {5, 8}, {3, 3}, {8, 2}, {9, 12}, {10, 1}, {7, 4}})
        rig.mouse.notify(static_cast<std::uint8_t>(code), static_cast<std::uint8_t>(value));
    const auto seen = rig.status.waitFor(5);
    EXPECT_EQ(seen, (std::vector<Status>{{StatusCode::Detected, 0},
                                         {StatusCode::ReportRateChanged, 8},
                                         {StatusCode::KeyMatrixChanged, 2},
                                         {StatusCode::MacroChanged, 12},
                                         {StatusCode::DpiStageChanged, 4}}));
}

TEST(DeviceSession, UnplugAnnouncesTheLossAndReplugRestoresTheLink)
{
    Rig rig;
    ASSERT_TRUE(rig.session.start());
    rig.mouse.unplug();
    rig.deliverHotplug();
    EXPECT_FALSE(rig.session.ready());
    EXPECT_EQ(rig.gone, 1) << "the window hides when the mouse is gone";

    rig.mouse.plug();
    rig.deliverHotplug();
    EXPECT_TRUE(rig.session.ready());
    rig.mouse.notify(9, 5);
    EXPECT_EQ(rig.status.waitFor(4), (std::vector<Status>{{StatusCode::Detected, 0},
                                                          {StatusCode::NotDetected, 0},
                                                          {StatusCode::Detected, 0},
                                                          {StatusCode::MacroChanged, 5}}));
}

TEST(DeviceSession, RejectedMouseOnArrivalIsNotReadFrom)
{
    Rig rig;
    rig.mouse.unplug();
    rig.hotplug.drain();
    rig.session.start();
    rig.mouse.setFault(SimFault::AnswerPlain);
    rig.mouse.plug();
    rig.deliverHotplug();
    EXPECT_FALSE(rig.session.ready());
    EXPECT_FALSE(rig.session.readerStarted());
    for (const auto& [code, value] : rig.status.items())
        EXPECT_EQ(code, StatusCode::NotDetected);
}

TEST(DeviceSession, IdleReaderSleepsAndStopsAtOnce)
{
    Rig rig;
    ASSERT_TRUE(rig.session.start());
    rig.mouse.notify(5, 1);
    rig.status.waitFor(2);
    const int tid = rig.session.readerThreadId();
    ASSERT_GT(tid, 0);
    std::this_thread::sleep_for(50ms); // let it settle into its wait
    const long before = voluntarySwitches(tid);
    ASSERT_GE(before, 0);
    std::this_thread::sleep_for(1s);
    EXPECT_EQ(voluntarySwitches(tid), before) << "an idle reader makes no wake-ups";

    rig.session.stop();
    EXPECT_FALSE(rig.session.readerStarted());
}

TEST(DeviceSession, NotificationsKeepFlowingDuringALongApply)
{
    Rig rig;
    ASSERT_TRUE(rig.session.start());
    std::thread mouseSide([&] {
        for (std::uint8_t stage = 1; stage <= 4; ++stage) {
            rig.mouse.notify(7, stage);
            std::this_thread::sleep_for(10ms);
        }
    });
    ConfigImage image{};
    rig.session.commands().applyConfiguration(image);
    const std::size_t deliveredDuringApply = rig.status.items().size() - 1;
    mouseSide.join();
    EXPECT_EQ(rig.status.waitFor(5).size(), 5u);
    EXPECT_GT(deliveredDuringApply, 0u) << "the reader does not wait for the window thread";
}

TEST(DeviceSession, NoWakeUpForTheReaderIsReportedAndNeverHangsTheExit)
{
    // With every descriptor taken, the reader's wake-up cannot be made.
    rlimit before{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &before), 0);
    SimMouse mouse;
    SimBackend backend(mouse);
    RecordingReporter reporter;
    StatusQueue status;
    std::unique_ptr<DeviceSession> session;
    {
        std::vector<int> filler;
        rlimit tight = before;
        tight.rlim_cur = 64;
        ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &tight), 0);
        for (int fd = ::dup(0); fd >= 0; fd = ::dup(0))
            filler.push_back(fd);
        session = std::make_unique<DeviceSession>(backend, reporter, status);
        for (int fd : filler)
            ::close(fd);
        ::setrlimit(RLIMIT_NOFILE, &before);
    }
    EXPECT_FALSE(session->start());
    EXPECT_TRUE(session->broken());
    EXPECT_EQ(reporter.messages.back().text, "CreateEvent failed.");
    EXPECT_FALSE(session->readerStarted());
    const auto start = std::chrono::steady_clock::now();
    session.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
}

// A simulated mouse keeping its memory in a file, handshake done.
struct StoredMouse {
    explicit StoredMouse(const std::filesystem::path& file) : mouse(file), backend(mouse), link(backend)
    {
        link.setPause([](auto) {});
        if (link.discover())
            link.handshake(nullptr);
    }
    SimMouse mouse;
    SimBackend backend;
    HidLink link;
};

TEST(SimulatedMouse, StaysBoundedUnderAFloodOfNotificationsAndKeepsItsMemoryOnDiskAsItChanges)
{
    test::TempDir dir;
    Rig rig;
    ASSERT_TRUE(rig.session.start());
    // Nobody reads while the mouse sends 300,000 notifications.
    for (int i = 0; i < 300000; ++i)
        rig.mouse.notify(7, static_cast<std::uint8_t>(i % 4 + 1));
    EXPECT_LE(rig.mouse.log().size(), SimMouse::kLogLimit);

    StoredMouse stored(dir / "simulated-mouse.bin");
    HidLink& link = stored.link;
    ASSERT_TRUE(link.ready());
    CommandReport rate{cmd::kReportRate, 4};
    link.exchangeCommand(rate);
    // While the first mouse still runs, its memory file already says so.
    EXPECT_EQ(SimMouse(dir / "simulated-mouse.bin").memory().reportRate, 4);
    std::array<std::uint8_t, 24> colours{};
    colours.fill(0x42);
    CommandReport block{cmd::kColourWrite, 1, 24};
    link.exchangeCommandWithData(block, colours);
    EXPECT_EQ(SimMouse(dir / "simulated-mouse.bin").memory().colourBlocks[1][23], 0x42);

    // Another program saving in the folder keeps its lock: the exchange (on
    // the window's thread) does not wait, and the memory is saved once it is free.
    const int other = ::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_EQ(::flock(other, LOCK_EX), 0);
    const auto start = std::chrono::steady_clock::now();
    link.exchangeCommand(rate = CommandReport{cmd::kReportRate, 8});
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s) << "the window waited for the other program";
    ::close(other);
    for (int i = 0; i < 300 && SimMouse(dir / "simulated-mouse.bin").memory().reportRate != 8; ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_EQ(SimMouse(dir / "simulated-mouse.bin").memory().reportRate, 8) << "the save was dropped";

    // A memory file of another version, longer than this one's, is replaced
    // whole at the first change, not written over in part.
    test::TempDir olderDir;
    test::writeBytes(olderDir / "simulated-mouse.bin", std::vector<std::uint8_t>(3000, 0x5A));
    {
        StoredMouse older(olderDir / "simulated-mouse.bin");
        ASSERT_TRUE(older.link.ready());
        older.link.exchangeCommand(rate = CommandReport{cmd::kReportRate, 2});
        EXPECT_EQ(SimMouse(olderDir / "simulated-mouse.bin").memory().reportRate, 2);
    }
}

// The outsider blocks until the program answers, so it runs beside the
// program's own loop, which serves whatever has arrived each time it wakes.
std::string askServer(SimControlServer& server, const std::filesystem::path& dataDir, const std::string& line)
{
    std::string answer;
    std::atomic<bool> done{false};
    std::thread outsider([&] {
        answer = sendSimControl(dataDir, line).value;
        done = true;
    });
    for (int i = 0; i < 200 && !done; ++i) {
        pollfd p{server.fd(), POLLIN, 0};
        if (::poll(&p, 1, 10) == 1)
            server.serve();
    }
    outsider.join();
    return answer;
}

int connectTo(const std::filesystem::path& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    return fd;
}

TEST(SimControl, ASlowOrSilentClientStallsNobody)
{
    test::TempDir runtime;
    test::TempDir data;
    ::setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
    SimMouse mouse;
    SimControlServer server(mouse, data.path());
    ASSERT_TRUE(server.listening());

    // One client sends a byte and then nothing; another sends too much.
    const int slow = connectTo(simControlSocketPath(data.path()).value);
    ASSERT_EQ(::write(slow, "s", 1), 1);
    const int greedy = connectTo(simControlSocketPath(data.path()).value);
    const std::string flood(SimControlServer::kMaxLine + 10, 'x');
    ASSERT_EQ(::write(greedy, flood.data(), flood.size()), static_cast<ssize_t>(flood.size()));

    // Every round of serving returns at once, and others are answered.
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(askServer(server, data.path(), "state"), "ok plugged fault none");
    EXPECT_LT(std::chrono::steady_clock::now() - start, 500ms);
    EXPECT_EQ(askServer(server, data.path(), "\x1B\xFF"), "error: unknown command \"\\x1B\\xFF\"") << "no raw bytes";
    char answer[64] = {};
    EXPECT_GT(::read(greedy, answer, sizeof answer - 1), 0);
    EXPECT_EQ(std::string(answer).rfind("error:", 0), 0u) << answer;

    // The silent client is let go at its deadline, woken by the server's own timer.
    pollfd p{server.fd(), POLLIN, 0};
    EXPECT_EQ(::poll(&p, 1, 3000), 1);
    server.serve();
    EXPECT_EQ(::read(slow, answer, sizeof answer), 0) << "the server closed the silent client";
    ::close(slow);
    ::close(greedy);

    // A stopped program (Ctrl+Z) takes no connections: with its queue full,
    // `varcelctl sim` says so within seconds instead of waiting for good.
    const auto path = simControlSocketPath(data.path()).value;
    sockaddr_un address{AF_UNIX, {}};
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    for (int fd = -1; fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0),
             ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;) {
    }
    auto said = std::make_shared<std::promise<Problem>>();
    std::thread([said, path = data.path()] { said->set_value(sendSimControl(path, "state").problem); }).detach();
    auto heard = said->get_future();
    ASSERT_EQ(heard.wait_for(6s), std::future_status::ready) << "varcelctl sim waits for good";
    EXPECT_EQ(heard.get().value_or(Failure{}).code, FailureCode::SimProgramStopped);
    ::unsetenv("XDG_RUNTIME_DIR");
}

TEST(SimControl, WithoutARuntimeFolderTheSocketSitsInAFolderOnlyTheUserEnters)
{
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string keep = saved ? saved : "";
    ::unsetenv("XDG_RUNTIME_DIR");
    test::TempDir data;
    const auto path = simControlSocketPath(data.path()).value;
    struct stat st {};
    ASSERT_EQ(::lstat(path.parent_path().c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_uid, ::getuid());
    EXPECT_EQ(st.st_mode & 077, 0u) << "nobody else may enter the socket's folder";
    EXPECT_NE(path.parent_path(), std::filesystem::temp_directory_path());

    // A folder others may enter is refused rather than used.
    ::chmod(path.parent_path().c_str(), 0755);
    EXPECT_EQ(simControlSocketPath(data.path()).problem.value_or(Failure{}).code, FailureCode::FolderNotPrivate);
    ::chmod(path.parent_path().c_str(), 0700);

    // A file in the socket's place that is not a socket is not talked to.
    test::writeBytes(path, {1});
    EXPECT_EQ(sendSimControl(data.path(), "state").problem.value_or(Failure{}).code, FailureCode::SocketNotOwn);
    std::filesystem::remove(path);
    if (saved)
        ::setenv("XDG_RUNTIME_DIR", keep.c_str(), 1);
}

TEST(SimControl, OutsiderPlugsUnplugsAndNotifies)
{
    test::TempDir runtime;
    test::TempDir data;
    ::setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
    Rig rig;
    SimControlServer server(rig.mouse, data.path());
    ASSERT_TRUE(server.listening());
    ASSERT_TRUE(rig.session.start());

    // The outsider blocks until the program answers, so it runs beside the
    // program's own loop.
    auto ask = [&](const std::string& line) { return askServer(server, data.path(), line); };

    EXPECT_EQ(ask("notify 8 2"), "ok sent");
    EXPECT_EQ(rig.status.waitFor(2).back(), Status(StatusCode::KeyMatrixChanged, 2));
    EXPECT_EQ(ask("unplug"), "ok unplugged");
    rig.deliverHotplug();
    EXPECT_FALSE(rig.session.ready());
    EXPECT_EQ(ask("notify 7 1").rfind("error:", 0), 0u);
    EXPECT_EQ(ask("plug"), "ok plugged");
    rig.deliverHotplug();
    EXPECT_TRUE(rig.session.ready());
    EXPECT_EQ(ask("fly away").rfind("error:", 0), 0u);
    EXPECT_EQ(ask("notify 300 1").rfind("error:", 0), 0u);

    // A second program cannot take over a mouse that is already controlled.
    SimMouse other;
    SimControlServer second(other, data.path());
    EXPECT_FALSE(second.listening());
    ::unsetenv("XDG_RUNTIME_DIR");
}

TEST(SimControl, NoProgramListeningIsAClearError)
{
    test::TempDir runtime;
    test::TempDir data;
    ::setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
    EXPECT_EQ(sendSimControl(data.path(), "unplug").problem.value_or(Failure{}).code, FailureCode::NoSimProgram);
    ::unsetenv("XDG_RUNTIME_DIR");
}

} // namespace
} // namespace varcel
