// Arrivals and removals of the mouse, from udev or from the simulated mouse.
#pragma once

#include <string>
#include <vector>

namespace varcel {

struct HotplugEvent {
    enum class Action { Arrival, Removal };
    Action action = Action::Arrival;
    std::string node; // the device node (or the simulated mouse's name)
};

// A source of hot-plug events that can be waited on: poll fd() for
// readability, then drain() what arrived. Only the mouse's own events come
// out; other devices are filtered away.
class HotplugSource {
public:
    virtual ~HotplugSource() = default;
    virtual int fd() const = 0;
    virtual std::vector<HotplugEvent> drain() = 0;
};

} // namespace varcel
