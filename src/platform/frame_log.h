// For bench/startup.sh: with VARCEL_FRAME_LOG naming a file, a window appends
// to it the moment its tray icon was first drawn ("icon"), the moment a tray
// click reaches it ("click") and the moment its first frame after a show went
// to the window system ("frame"), CLOCK_REALTIME in ns, so that the bench
// times the icon and the window without polling the screen. Header
// only: the bench's bare Qt tray program logs the same way without linking
// Varcel.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace varcel {

inline void logFrameMoment(const char* what)
{
    static const char* const file = std::getenv("VARCEL_FRAME_LOG");
    if (!file || !*file)
        return;
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    if (FILE* log = std::fopen(file, "a")) {
        std::fprintf(log, "%s %lld\n", what, static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
        std::fclose(log);
    }
}

} // namespace varcel
