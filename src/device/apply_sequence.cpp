#include "device/apply_sequence.h"

#include "device/config_store.h"
#include "device/hid_link.h"

namespace varcel {

ApplyOutcome applyAndSave(HidLink& link, DeviceCommands& commands, ConfigStore& store,
                          const std::function<bool()>& saveLabels)
{
    ApplyOutcome outcome;
    if (!link.ready())
        return outcome;
    outcome.ran = true;
    outcome.device = commands.applyConfiguration(store.working());
    outcome.configSaved = store.save();
    outcome.labelsSaved = !saveLabels || saveLabels();
    return outcome;
}

} // namespace varcel
