// The mouse's protocol waits fixed pauses between reports, about a hundred of
// them in one apply. Linux lets a sleeping thread wake up late by its timer
// slack (50 us by default) to gather wake-ups; over an apply that adds up to
// several milliseconds the user waits for nothing.
#pragma once

#include <sys/prctl.h>

namespace varcel {

// The calling thread, and every thread it starts afterwards, wakes from its
// pauses as soon as they are over. Called first thing in main.
inline void usePreciseTimers() { ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL); }

} // namespace varcel
