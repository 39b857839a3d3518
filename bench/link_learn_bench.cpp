// varcelctl link learn on a large capture: wall time and peak memory of the
// command itself, on a usbmon capture of many applies to a mouse with other
// link constants (the simulated mouse's own capture, repeated).
//
//   link_learn_bench [MEGABYTES]   (default 100)
#include "device/config_store.h"
#include "device/device_session.h"
#include "device/link_constants.h"
#include "device/sim/sim_backend.h"
#include "device/sim/sim_capture.h"
#include "device/sim/sim_mouse.h"
#include "platform/reporter.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace varcel;

struct NoStatus : StatusSink {
    void deviceStatus(StatusCode, int) override {}
};

// One session against the simulated mouse: the handshake, the sensor
// exchange and an apply, as a usbmon capture.
bool captureOneApply(const std::filesystem::path& file, const LinkConstants& c)
{
    UsbmonCaptureWriter writer(file);
    SimMouse mouse;
    mouse.setLinkConstants(c);
    mouse.setCapture(&writer);
    SimBackend backend(mouse);
    RecordingReporter reporter;
    NoStatus status;
    DeviceSession session(backend, reporter, status);
    session.link().setLinkConstants(c);
    session.link().setPause([](std::chrono::milliseconds) {});
    if (!session.start())
        return false;
    session.commands().exchangeSensorRecord();
    session.commands().applyConfiguration(ConfigImage{});
    session.stop();
    mouse.setCapture(nullptr);
    return writer.ok();
}

} // namespace

int main(int argc, char** argv)
{
    const double megabytes = argc > 1 ? std::atof(argv[1]) : 100;
    const auto folder = std::filesystem::temp_directory_path() / ("varcel-link-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const auto one = folder / "one.pcap";
    const auto big = folder / "big.pcap";
    const LinkConstants mouse = *parseLinkOption("0123456789AB:F0E1D2C3B4A59687");
    if (!captureOneApply(one, mouse)) {
        std::fprintf(stderr, "could not capture an apply\n");
        return 1;
    }

    std::ifstream in(one, std::ios::binary);
    const std::string session((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string header = session.substr(0, 24);
    const std::string records = session.substr(24);
    std::ofstream out(big, std::ios::binary);
    out << header;
    std::size_t size = header.size();
    std::size_t sessions = 0;
    while (static_cast<double>(size) < megabytes * 1e6) {
        out << records;
        size += records.size();
        ++sessions;
    }
    out.close();

    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        ::execl(VARCELCTL_PATH, "varcelctl", "--data-dir", folder.c_str(), "link", "learn", big.c_str(), nullptr);
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::filesystem::remove_all(folder);

    std::printf("capture: %.1f MB, %zu sessions of %zu bytes\n", static_cast<double>(size) / 1e6, sessions,
                records.size());
    std::printf("varcelctl link learn: exit %d, %.2f s wall, %.1f MiB peak resident (targets: 5 s, 100 MiB)\n",
                WIFEXITED(status) ? WEXITSTATUS(status) : -1, seconds, static_cast<double>(usage.ru_maxrss) / 1024.0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && seconds < 5 && usage.ru_maxrss < 100 * 1024 ? 0 : 1;
}
