// How close one full apply against the simulated mouse comes to the
// protocol's floor, the sum of its fixed pauses; and how long the reader
// takes to end at shutdown.
//
//   apply_bench [RUNS]
#include "device/device_session.h"
#include "platform/reporter.h"
#include "device/sim/sim_backend.h"
#include "device/sim/sim_mouse.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

using namespace varcel;
using Clock = std::chrono::steady_clock;

struct NoStatus : StatusSink {
    void deviceStatus(StatusCode, int) override {}
};

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;

    SimMouse mouse;
    SimBackend backend(mouse);
    RecordingReporter reporter;
    NoStatus status;
    DeviceSession session(backend, reporter, status);
    Clock::duration floor{};
    session.link().setPause([&](std::chrono::milliseconds pause) {
        floor += pause;
        std::this_thread::sleep_for(pause);
    });
    if (!session.start()) {
        std::fprintf(stderr, "apply_bench: the simulated mouse was not accepted\n");
        return 1;
    }

    ConfigImage image{};
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 13);
    image[img::kRgbMode] = 1;

    std::vector<double> ratios;
    std::vector<double> walls;
    for (int run = 0; run < runs; ++run) {
        floor = {};
        const auto start = Clock::now();
        session.commands().applyConfiguration(image);
        const auto wall = Clock::now() - start;
        walls.push_back(ms(wall));
        ratios.push_back(ms(wall) / ms(floor));
    }
    std::sort(ratios.begin(), ratios.end());
    std::sort(walls.begin(), walls.end());
    const double floorMs = ms(floor);
    std::printf("apply: %d runs, floor (fixed pauses) %.1f ms\n", runs, floorMs);
    std::printf("apply: wall median %.2f ms, worst %.2f ms\n", walls[walls.size() / 2], walls.back());
    std::printf("apply: ratio to floor median %.3f, worst %.3f (target <= 1.10)\n", ratios[ratios.size() / 2],
                ratios.back());

    // Shutdown: the reader is blocked waiting for a notification.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const auto stopStart = Clock::now();
    session.stop();
    std::printf("reader shutdown: %.3f ms (target <= 100 ms)\n", ms(Clock::now() - stopStart));
    return 0;
}
