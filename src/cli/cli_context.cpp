#include "cli/cli_context.h"

#include "buttons/button_model.h"
#include "buttons/labels_file.h"
#include "device/apply_sequence.h"
#include "device/config_store.h"
#include "device/hidraw/hidraw_backend.h"
#include "device/sim/sim_backend.h"
#include "device/sim/sim_mouse.h"

#include <iostream>

namespace varcel {

void StderrReporter::messageBox(const std::string& text, const std::string& caption)
{
    ++count;
    std::string line = text;
    while (!line.empty() && (line.back() == '\n' || line.back() == ' '))
        line.pop_back();
    std::cerr << caption << ": " << line << '\n';
}

void StdoutTrace::traceReport(TraceKind kind, std::span<const std::uint8_t> bytes)
{
    if (!plainLines)
        return;
    std::lock_guard lock(m_mutex);
    std::cout << formatTraceLine(kind, bytes) << std::endl;
}

void StdoutTrace::traceWire(bool out, std::span<const std::uint8_t> wire, std::span<const std::uint8_t> plain)
{
    if (!wireLines)
        return;
    std::lock_guard lock(m_mutex);
    std::cout << formatWireLine(out, wire, plain) << std::endl;
}

void StdoutTrace::traceRemark(const std::string& text)
{
    std::lock_guard lock(m_mutex);
    std::cout << "# " << text << std::endl;
}

void PrintingStatus::deviceStatus(StatusCode code, int value)
{
    if (quiet)
        return;
    std::lock_guard lock(m_mutex);
    std::cout << statusCodeName(code) << ' ' << value << std::endl;
}

CliContext::~CliContext()
{
    m_session.reset();
    m_backend.reset();
    if (m_sim)
        m_sim->saveMemory();
}

const DataDir& CliContext::dataDir()
{
    if (!m_dataDir) {
        std::optional<std::filesystem::path> override;
        if (!dataDirOption.empty())
            override = dataDirOption;
        m_dataDir = resolveDataDir(override, installedDataDir());
    }
    return *m_dataDir;
}

HidBackend& CliContext::backend()
{
    if (m_backend)
        return *m_backend;
    if (!simulate) {
        m_backend = std::make_unique<HidrawBackend>();
        return *m_backend;
    }
    const auto fault = simFaultFromName(simFault);
    if (!fault)
        throw CliError{"unknown simulated fault \"" + simFault + "\"", 2};
    m_sim = std::make_unique<SimMouse>(dataDir().path / kSimMemoryFile);
    m_sim->setFault(*fault, simUnplugAfter);
    m_backend = std::make_unique<SimBackend>(*m_sim);
    return *m_backend;
}

DeviceSession& CliContext::session()
{
    if (!m_session) {
        m_session = std::make_unique<DeviceSession>(backend(), m_reporter, m_status);
        m_trace.plainLines = trace;
        m_trace.wireLines = traceWire;
        if (trace || traceWire)
            m_session->setTrace(&m_trace);
    }
    return *m_session;
}

std::string CliContext::notFoundMessage()
{
    for (const HidInterfaceInfo& info : backend().enumerate())
        if (info.vendorId == kVendorId && info.productId == kProductId)
            return "The system did not detect the gaming mouse! It is plugged in (" + info.path +
                   "), but its device nodes cannot be opened: install the udev rule (README, \"Using a real "
                   "mouse\")";
    return "The system did not detect the gaming mouse!";
}

HidLink& CliContext::connect(bool requireReady)
{
    HidLink& link = session().link();
    if (!m_connected) {
        m_connected = true;
        m_status.quiet = true;
        m_discovered = link.discover();
        if (m_discovered)
            m_handshake = link.handshake(&m_status);
        m_status.quiet = false;
    }
    if (requireReady && !m_discovered)
        throw CliError{notFoundMessage()};
    if (requireReady && !link.ready())
        throw CliError{std::string("the mouse was found but not accepted: ") + handshakeOutcomeName(m_handshake)};
    return link;
}

void CliContext::lockDataFolder()
{
    if (m_lock)
        return;
    m_lock = std::make_unique<FolderLock>(dataDir().path);
    if (!m_lock->held()) {
        const std::string why = m_lock->error();
        m_lock.reset();
        throw CliError{why};
    }
}

void writeFirstRunLabels(CliContext& context, const ConfigStore& store)
{
    if (store.firstRunFlag() != 0)
        return;
    const Language language = systemLanguage();
    const auto strIni = context.dataDir().path / kLabelsFileName;
    ButtonLabels labels{};
    SkinSettings skin;
    if (const FileResult read = readLabels(strIni, language, labels, skin); !read)
        throw CliError{read.error + "; nothing was saved"};
    ConfigImage scratch = store.working();
    ButtonModel model(scratch, labels, language, context.reporter());
    model.setFirstRunLabels();
    if (const FileResult written = writeLabels(strIni, language, labels); !written)
        throw CliError{written.error};
}

void throwUnlessApplied(const ApplyOutcome& outcome, const ConfigStore& store, const std::filesystem::path& strIni)
{
    if (!outcome.ran)
        throw CliError{"the mouse is not accepted; nothing was sent or saved"};
    std::string message;
    if (!outcome.device.ok())
        message = "the configuration did not fully reach the mouse:\n" + outcome.device.text();
    if (!outcome.configSaved)
        message += "  " + store.path().string() + " could not be saved\n";
    else if (!outcome.device.ok())
        message += "  " + store.path().string() + " was saved; apply again once the mouse answers\n";
    if (!outcome.labelsSaved)
        message += "  " + strIni.string() + " could not be saved\n";
    if (message.empty())
        return;
    if (outcome.device.ok())
        message = "the mouse has the configuration, but:\n" + message;
    message.pop_back();
    throw CliError{message};
}

} // namespace varcel
