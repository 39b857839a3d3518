// How close an apply against the simulated mouse comes to the protocol's
// floor, the sum of its fixed pauses: in this process, and as a whole
// `varcelctl --simulate apply` process, with the split of what it spends
// beyond the floor. How long a whole `varcelctl show` takes beside a process
// that links nothing. Also how long the reader takes to end at shutdown.
// The processes run on a private session bus where no Varcel runs, as on a
// desktop.
//
//   apply_bench [RUNS] [VARCELCTL]
#include "device/device_session.h"
#include "device/sim/sim_backend.h"
#include "device/sim/sim_mouse.h"
#include "platform/reporter.h"
#include "platform/precise_pause.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using namespace varcel;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

struct NoStatus : StatusSink {
    void deviceStatus(StatusCode, int) override {}
};

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

ConfigImage benchImage()
{
    ConfigImage image{};
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 13);
    image[img::kRgbMode] = 1;
    return image;
}

// What one varcelctl apply does with the mouse, in this process: the
// handshake, the sensor exchange, the apply. `sleep` false skips the pauses
// (they are still counted into `floor`).
struct InProcessApply {
    double wall = 0;      // ms
    double floor = 0;     // ms of fixed pauses asked for
    double overshoot = 0; // ms the pauses took beyond what was asked
    int pauses = 0;
};

std::optional<InProcessApply> applyInProcess(const std::optional<fs::path>& memoryFile, bool sleep)
{
    SimMouse mouse(memoryFile);
    SimBackend backend(mouse);
    RecordingReporter reporter;
    NoStatus status;
    DeviceSession session(backend, reporter, status);
    InProcessApply run;
    session.link().setPause([&](std::chrono::milliseconds pause) {
        run.floor += ms(pause);
        ++run.pauses;
        if (!sleep)
            return;
        const auto start = Clock::now();
        pauseFor(pause);
        run.overshoot += ms(Clock::now() - start - pause);
    });
    const auto start = Clock::now();
    if (!session.start())
        return std::nullopt;
    if (!session.commands().sensorKnown())
        session.commands().exchangeSensorRecord();
    session.commands().applyConfiguration(benchImage());
    run.wall = ms(Clock::now() - start);
    session.stop();
    return run;
}

// Wall time of one process, or nothing when it failed.
std::optional<double> runProcess(const std::vector<std::string>& args)
{
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = Clock::now();
    pid_t pid = 0;
    const int error = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        return std::nullopt;
    int status = 0;
    waitpid(pid, &status, 0);
    const double wall = ms(Clock::now() - start);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return wall;
}

// A session bus of the bench's own, its address in the environment, ended
// with the bench.
struct PrivateBus {
    PrivateBus()
    {
        FILE* daemon = ::popen("dbus-daemon --session --print-address=1 --print-pid=1 --fork", "r");
        char address[512] = {};
        char pid[32] = {};
        if (!daemon || !std::fgets(address, sizeof address, daemon) || !std::fgets(pid, sizeof pid, daemon)) {
            if (daemon)
                ::pclose(daemon);
            return;
        }
        ::pclose(daemon);
        address[std::strcspn(address, "\n")] = '\0';
        ::setenv("DBUS_SESSION_BUS_ADDRESS", address, 1);
        m_pid = std::atoi(pid);
    }
    ~PrivateBus()
    {
        if (m_pid > 0)
            ::kill(m_pid, SIGTERM);
    }
    bool running() const { return m_pid > 0; }

private:
    pid_t m_pid = 0;
};

// Median wall time of `runs` runs of each command line, taken in turns so
// that they meet the same load; nothing when one failed.
std::optional<std::vector<double>> medians(const std::vector<std::vector<std::string>>& commands, int runs)
{
    std::vector<std::vector<double>> times(commands.size());
    for (int run = 0; run < runs; ++run)
        for (std::size_t i = 0; i < commands.size(); ++i) {
            const auto wall = runProcess(commands[i]);
            if (!wall) {
                std::fprintf(stderr, "apply_bench: %s failed\n", commands[i][0].c_str());
                return std::nullopt;
            }
            times[i].push_back(*wall);
        }
    std::vector<double> out;
    for (const auto& t : times)
        out.push_back(median(t));
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    const std::string varcelctl = argc > 2 ? argv[2] : VARCELCTL_PATH;
    // The pauses are timed as varcelctl and varcel time them.
    usePreciseTimers();

    const fs::path work = fs::temp_directory_path() / ("apply_bench-" + std::to_string(::getpid()));
    fs::create_directories(work);
    fs::copy_file(VARCEL_DEFAULT_CONFIG, work / "config.bin", fs::copy_options::overwrite_existing);
    const fs::path memoryFile = work / "simulated-mouse.bin";

    // In this process, with the pauses slept: their floor and overshoot.
    std::vector<double> ratios;
    std::vector<double> overshoots;
    double floorMs = 0;
    int pauses = 0;
    for (int run = 0; run < runs; ++run) {
        const auto got = applyInProcess(std::nullopt, true);
        if (!got) {
            std::fprintf(stderr, "apply_bench: the simulated mouse was not accepted\n");
            return 1;
        }
        floorMs = got->floor;
        pauses = got->pauses;
        ratios.push_back(got->wall / got->floor);
        overshoots.push_back(got->overshoot);
    }
    std::printf("in process: handshake, sensor exchange and apply, %d runs: floor (%d fixed pauses) %.1f ms, "
                "ratio median %.3f\n",
                runs, pauses, floorMs, median(ratios));

    // Without the pauses, with and without the mouse's memory file: what the
    // mouse's saves cost one apply.
    std::vector<double> withFile;
    std::vector<double> withoutFile;
    for (int run = 0; run < runs; ++run) {
        fs::remove(memoryFile);
        withFile.push_back(applyInProcess(memoryFile, false)->wall);
        withoutFile.push_back(applyInProcess(std::nullopt, false)->wall);
    }
    const double saves = std::max(0.0, median(withFile) - median(withoutFile));

    // Whole processes, as the user runs them, on a desktop's session bus.
    const PrivateBus bus;
    if (!bus.running())
        std::printf("(no dbus-daemon: the processes run without a session bus)\n");
    const std::string dataDir = work.string();
    if (const auto got = medians({{varcelctl, "--data-dir", dataDir, "show"},
                                  {varcelctl, "--version"},
                                  {EMPTY_PROCESS_PATH},
                                  {"/bin/true"}},
                                 std::max(runs, 50))) {
        const std::vector<double>& m = *got;
        std::printf("varcelctl --data-dir D show, median of %d: %.2f ms (target <= 3 ms); varcelctl --version "
                    "%.2f ms; a process that links nothing %.2f ms; /bin/true (links the C library) %.2f ms\n",
                    std::max(runs, 50), m[0], m[1], m[2], m[3]);
    }

    std::vector<double> starts;
    std::vector<double> applies;
    for (int run = 0; run < runs; ++run) {
        const auto start = runProcess({varcelctl, "--version"});
        const auto apply = runProcess({varcelctl, "--simulate", "--data-dir", dataDir, "apply"});
        if (!start || !apply) {
            std::fprintf(stderr, "apply_bench: %s failed\n", varcelctl.c_str());
            return 1;
        }
        starts.push_back(*start);
        applies.push_back(*apply);
    }
    const double whole = median(applies);
    const double start = median(starts);
    const double overshoot = median(overshoots);
    std::printf("varcelctl --simulate apply, %d runs: median %.1f ms, worst %.1f ms, floor %.1f ms: ratio %.3f "
                "(target <= 1.05)\n",
                runs, whole, *std::max_element(applies.begin(), applies.end()), floorMs, whole / floorMs);
    std::printf("  fixed pauses           %6.1f ms\n", floorMs);
    std::printf("  process start and end  %6.1f ms  (varcelctl --version)\n", start);
    std::printf("  pauses' overshoot      %6.1f ms  (%d pauses, watched through their last 0.1 ms)\n", overshoot, pauses);
    std::printf("  mouse's memory saves   %6.1f ms\n", saves);
    std::printf("  the rest               %6.1f ms  (reports, config.bin and str.ini, parsing)\n",
                whole - floorMs - start - overshoot - saves);

    // Shutdown: the reader is blocked waiting for a notification.
    {
        SimMouse mouse;
        SimBackend backend(mouse);
        RecordingReporter reporter;
        NoStatus status;
        DeviceSession session(backend, reporter, status);
        session.link().setPause([](std::chrono::milliseconds) {});
        if (!session.start())
            return 1;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        const auto stopStart = Clock::now();
        session.stop();
        std::printf("reader shutdown: %.3f ms (target <= 100 ms)\n", ms(Clock::now() - stopStart));
    }
    fs::remove_all(work);
    return 0;
}
