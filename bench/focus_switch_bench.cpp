// From a change of the application in front to the mouse holding that
// application's profile (its last report of the apply), through the rules,
// the switch policy (its settle included), the profile's load and the apply,
// against the simulated mouse; compared with the apply's floor, the sum of
// the protocol's fixed pauses. The X server's or KWin's delivery of the
// change is not in it (one local socket message); the saves after the
// apply are shown apart.
//
//   focus_switch_bench [RUNS]
#include "control/focus_rules.h"
#include "control/main_controller.h"
#include "control/profile_library.h"
#include "device/sim/sim_backend.h"
#include "device/sim/sim_mouse.h"
#include "device/trace.h"
#include "platform/reporter.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using namespace varcel;
using Clock = std::chrono::steady_clock;

struct NoStatus : StatusSink {
    void deviceStatus(StatusCode, int) override {}
};

// The time of the last report the mouse was sent or answered.
struct LastReport : TraceSink {
    void traceReport(TraceKind, std::span<const std::uint8_t>) override { at = Clock::now(); }
    void traceRemark(const std::string&) override {}
    Clock::time_point at;
};

struct NoView : MainWindowView {
    void showBalloon(const Balloon&) override {}
    void showWindow() override {}
    void hideWindow() override {}
    void tearDownPage(Page) override {}
    void drawPage(Page) override {}
};

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Commands to sway on an IPC connection of their own, as swaymsg sends them.
class SwayCommands {
public:
    explicit SwayCommands(const std::string& path) : m_fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0))
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        if (::connect(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
            m_fd = -1;
    }
    ~SwayCommands() { ::close(m_fd); }
    bool connected() const { return m_fd >= 0; }
    // Sends a command and reads its answer.
    bool run(const std::string& command)
    {
        std::string message = "i3-ipc";
        const std::uint32_t header[2] = {static_cast<std::uint32_t>(command.size()), 0};
        message.append(reinterpret_cast<const char*>(header), sizeof header).append(command);
        if (::write(m_fd, message.data(), message.size()) != static_cast<ssize_t>(message.size()))
            return false;
        char answer[4096];
        return ::read(m_fd, answer, sizeof answer) > 0;
    }

private:
    int m_fd;
};

// The next change the watch reports, within a second.
std::optional<FocusedApp> nextChange(FocusWatch& watch)
{
    const auto deadline = Clock::now() + std::chrono::seconds(1);
    while (Clock::now() < deadline) {
        pollfd p{watch.fd(), POLLIN, 0};
        if (::poll(&p, 1, 1000) > 0)
            if (auto app = watch.drain())
                return app;
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(2, std::atoi(argv[1])) : 20;
    std::unique_ptr<SwayCommands> sway;
    std::unique_ptr<FocusWatch> watch;
    if (argc > 3) {
        sway = std::make_unique<SwayCommands>(argv[2]);
        std::string why;
        watch = std::string(argv[3]) == "i3" ? openI3FocusWatch(argv[2], &why) : openWlrootsFocusWatch(nullptr, &why);
        if (!sway->connected() || !watch) {
            std::fprintf(stderr, "focus_switch_bench: sway cannot be followed: %s\n", why.c_str());
            return 1;
        }
        watch->drain();
    }
    char pattern[] = "/tmp/varcel-focus-bench-XXXXXX";
    const std::filesystem::path dir = ::mkdtemp(pattern);
    {
        std::vector<char> config(kConfigFileSize, 0);
        config[0] = 1;
        config[1 + img::kReportRate] = 1;
        std::ofstream(dir / "config.bin", std::ios::binary).write(config.data(), std::streamsize(config.size()));
    }
    SimMouse mouse;
    SimBackend backend(mouse);
    RecordingReporter reporter;
    NoStatus status;
    NoView view;
    MainController controller(dir, backend, reporter, status, view, Language::English);
    Clock::duration floor{};
    controller.session().link().setPause([&](std::chrono::milliseconds pause) {
        floor += pause;
        std::this_thread::sleep_for(pause);
    });
    LastReport last;
    controller.session().link().setTrace(&last);
    controller.startUp();
    ProfileLibrary library(dir);
    library.save(controller.workspace(), "Desk");
    controller.config().working()[img::kReportRate] = 8;
    controller.apply();
    library.save(controller.workspace(), "Game");
    FocusRules rules(dir);
    rules.add({RuleMatch::WindowClass, "GameWindow", "Game"});
    rules.add({RuleMatch::WindowClass, "DeskWindow", "Desk"});
    rules.add({RuleMatch::AppId, "game", "Game"});
    rules.add({RuleMatch::AppId, "desk", "Desk"});
    rules.save();

    std::chrono::milliseconds armed{-1};
    ProfileFollower follower(controller, [&](std::chrono::milliseconds wait) { armed = wait; });
    std::vector<double> latencies;
    std::vector<double> excess;
    std::vector<double> whole;
    std::vector<double> delivered; // from sway's command to the watch's report
    double floorMs = 0;
    for (int run = 0; run < runs; ++run) {
        const bool game = run % 2 == 0;
        const FocusedApp app{"", game ? "GameWindow" : "DeskWindow", "", ""};
        const int before = follower.switches();
        floor = {};
        const auto start = Clock::now();
        if (sway) {
            const auto change = sway->run(std::string("[app_id=") + (game ? "game" : "desk") + "] focus")
                                    ? nextChange(*watch)
                                    : std::nullopt;
            if (!change || change->appId != (game ? "game" : "desk")) {
                std::fprintf(stderr, "focus_switch_bench: sway did not tell run %d's change\n", run);
                return 1;
            }
            delivered.push_back(ms(Clock::now() - start));
            follower.focusChanged(*change);
        } else {
            follower.focusChanged(app);
        }
        // The window's single-shot timer, as the event loop would run it.
        while (follower.switches() == before && armed.count() >= 0) {
            const auto wait = armed;
            armed = std::chrono::milliseconds(-1);
            std::this_thread::sleep_for(wait);
            follower.retry();
        }
        const auto took = Clock::now() - start;
        const std::uint8_t expected = game ? 8 : 1;
        if (follower.switches() == before || mouse.memory().reportRate != expected) {
            std::fprintf(stderr, "focus_switch_bench: run %d did not switch the mouse\n", run);
            return 1;
        }
        latencies.push_back(ms(last.at - start));
        excess.push_back(ms(last.at - start) - ms(floor));
        whole.push_back(ms(took));
        floorMs = ms(floor);
        // The next change comes after the 300 ms a switch waits for.
        std::this_thread::sleep_for(std::chrono::milliseconds(350));
    }
    std::sort(latencies.begin(), latencies.end());
    std::sort(excess.begin(), excess.end());
    std::sort(whole.begin(), whole.end());
    std::sort(delivered.begin(), delivered.end());
    std::printf("focus change%s to the mouse holding the profile: %d runs, apply floor %.1f ms\n",
                sway ? (std::string(" by sway through ") + argv[3]).c_str() : "", runs, floorMs);
    std::printf("  latency median %.1f ms, worst %.1f ms\n", latencies[latencies.size() / 2], latencies.back());
    std::printf("  above the floor: median %.1f ms, worst %.1f ms (target <= 50 ms)\n", excess[excess.size() / 2],
                excess.back());
    std::printf("  with the saves, the state and the page after it: median %.1f ms, worst %.1f ms\n",
                whole[whole.size() / 2], whole.back());
    if (!delivered.empty())
        std::printf("  of it sway's command to the watch's report: median %.2f ms, worst %.2f ms\n",
                    delivered[delivered.size() / 2], delivered.back());
    std::filesystem::remove_all(dir);
    return excess.back() <= 50.0 ? 0 : 1;
}
