// What reading a profile costs as it grows: a profile of N unknown top-level
// keys (each refused with its path) read by the import's reader, for N up to
// the size the 16 MB limit lets through. The time per key stays flat when the
// reader is linear.
//
//   profile_bench [LARGEST_N]
#include "control/profile.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

int main(int argc, char** argv)
{
    const long largest = argc > 1 ? std::max(1L, std::atol(argv[1])) : 900000;
    std::printf("%10s %12s %10s %10s %14s\n", "keys", "bytes", "wall s", "cpu s", "cpu us/key");
    for (long n = 40000; n <= largest; n *= 2) {
        std::string text = "{\"varcelProfile\": 1";
        for (long i = 0; i < n; ++i)
            text += ", \"k" + std::to_string(i) + "\": 0";
        text += "}";
        std::vector<varcel::ProfileProblem> problems;
        const auto wall = std::chrono::steady_clock::now();
        const std::clock_t cpu = std::clock();
        varcel::profileFromText(text, problems);
        const double cpuSeconds = double(std::clock() - cpu) / CLOCKS_PER_SEC;
        const double wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall).count();
        std::printf("%10ld %12zu %10.3f %10.3f %14.3f\n", n, text.size(), wallSeconds, cpuSeconds,
                    1e6 * cpuSeconds / double(n));
        if (problems.size() < static_cast<std::size_t>(n))
            return 1; // every unknown key must have been reported
    }
    return 0;
}
