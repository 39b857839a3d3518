#include "device/apply_sequence.h"

#include "device/config_store.h"
#include "device/device_commands.h"
#include "device/hid_link.h"

namespace varcel {

bool applyAndSave(HidLink& link, DeviceCommands& commands, ConfigStore& store,
                  const std::function<void()>& saveLabels)
{
    if (!link.ready())
        return false;
    commands.applyConfiguration(store.working());
    store.save();
    if (saveLabels)
        saveLabels();
    return true;
}

} // namespace varcel
