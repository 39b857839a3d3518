#include "cli/cli_context.h"

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
    std::cout << formatTraceLine(kind, bytes) << '\n';
}

void StdoutTrace::traceRemark(const std::string& text) { std::cout << "# " << text << '\n'; }

CliContext::~CliContext()
{
    m_link.reset();
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
    if (!simulate)
        throw CliError{"this build has no backend for a real mouse; use --simulate", 2};
    const auto fault = simFaultFromName(simFault);
    if (!fault)
        throw CliError{"unknown simulated fault \"" + simFault + "\"", 2};
    m_sim = std::make_unique<SimMouse>(dataDir().path / kSimMemoryFile);
    m_sim->setFault(*fault, simUnplugAfter);
    m_backend = std::make_unique<SimBackend>(*m_sim);
    return *m_backend;
}

HidLink& CliContext::connect(bool requireReady)
{
    if (m_link)
        return *m_link;
    m_link = std::make_unique<HidLink>(backend());
    if (trace)
        m_link->setTrace(&m_trace);
    m_discovered = m_link->discover();
    if (!m_discovered) {
        if (requireReady)
            throw CliError{"The system did not detect the gaming mouse!"};
        return *m_link;
    }
    m_handshake = m_link->handshake(nullptr);
    if (requireReady && !m_link->ready())
        throw CliError{std::string("the mouse was found but not accepted: ") + handshakeOutcomeName(m_handshake)};
    return *m_link;
}

} // namespace varcel
