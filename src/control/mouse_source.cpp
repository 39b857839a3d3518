#include "control/mouse_source.h"

#include "device/hidraw/hidraw_backend.h"
#include "device/hidraw/udev_hotplug.h"
#include "device/link_constants.h"
#include "device/sim/sim_backend.h"
#include "device/sim/sim_hotplug.h"
#include "platform/data_files.h"

namespace varcel {

MouseOpened MouseSource::open(const MouseOptions& options, const std::filesystem::path& dataDir)
{
    MouseOpened opened;
    std::unique_ptr<MouseSource> source(new MouseSource);
    source->m_dataDir = dataDir;
    if (!options.simulate) {
        source->m_backend = std::make_unique<HidrawBackend>();
        opened.source = std::move(source);
        return opened;
    }
    const auto fault = simFaultFromName(options.simFault);
    if (!fault) {
        opened.unknownFault = true;
        opened.problem = Failure{FailureCode::UnknownSimFault, options.simFault, {}};
        return opened;
    }
    source->m_sim = std::make_unique<SimMouse>(dataDir / kSimMemoryFileName);
    source->m_sim->setFault(*fault, options.simUnplugAfter);
    if (const auto own = parseLinkOption(options.simLink))
        source->m_sim->setLinkConstants(*own);
    if (!options.captureFile.empty()) {
        source->m_capture = std::make_unique<UsbmonCaptureWriter>(options.captureFile);
        if (!source->m_capture->ok()) {
            opened.problem = source->m_capture->problem();
            return opened;
        }
        source->m_sim->setCapture(source->m_capture.get());
    }
    source->m_backend = std::make_unique<SimBackend>(*source->m_sim);
    opened.source = std::move(source);
    return opened;
}

MouseSource::~MouseSource()
{
    if (m_sim) {
        m_sim->setCapture(nullptr);
        m_sim->saveMemory();
    }
}

HotplugSource& MouseSource::hotplug()
{
    if (!m_hotplug) {
        if (m_sim)
            m_hotplug = std::make_unique<SimHotplug>(*m_sim);
        else
            m_hotplug = std::make_unique<UdevHotplug>();
    }
    return *m_hotplug;
}

SimControlServer* MouseSource::control()
{
    if (m_sim && !m_control)
        m_control = std::make_unique<SimControlServer>(*m_sim, m_dataDir);
    return m_control.get();
}

} // namespace varcel
