// The mouse's protocol waits fixed pauses between reports, about a hundred of
// them in one apply. Linux lets a sleeping thread wake up late by its timer
// slack (50 us by default) to gather wake-ups, and even without slack a
// wake-up comes some tens of microseconds late; over an apply that adds up to
// several milliseconds the user waits for nothing.
#pragma once

#include <chrono>

namespace varcel {

// The calling thread, and every thread it starts afterwards, wakes from its
// pauses as soon as they are over. Called first thing in main.
void usePreciseTimers();

// Waits `pause`, and not noticeably longer: the thread sleeps through most of
// it and watches the clock through the last tenth of a millisecond, where a
// wake-up would come late.
void pauseFor(std::chrono::microseconds pause);

} // namespace varcel
