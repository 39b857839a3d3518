#include "cli/cli_context.h"

#include "buttons/button_model.h"
#include "buttons/labels_file.h"
#include "device/config_store.h"
#include "device/sim/sim_mouse.h"
#include "lang/device_messages.h"
#include "lang/language.h"
#include "platform/data_files.h"
#include "platform/folder_lock.h"

#include <chrono>
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
    if (m_hostTraced)
        host->session->setTrace(nullptr);
    m_session.reset();
    m_mouse.reset();
}

std::string checkLinkOption(const std::string& text)
{
    if (parseLinkOption(text))
        return {};
    return "\"" + text + "\" is not KEY:TABLE (12 and 16 hex digits, as 5A17C38E41B6:3D9207E468AF1BC5)";
}

LinkConstants CliContext::linkConstants(std::string* source)
{
    if (const auto given = parseLinkOption(linkOption)) {
        if (source)
            *source = "--link";
        return *given;
    }
    const LinkFileRead file = readLinkFile(dataDir().path);
    if (file.problem)
        std::cerr << "varcelctl: " << failureText(*file.problem, systemLanguage()) << '\n';
    if (source)
        *source = file.fromFile ? (dataDir().path / kLinkFileName).string() : std::string("built in");
    return file.constants;
}

const DataDir& CliContext::dataDir()
{
    if (!m_dataDir) {
        std::optional<std::filesystem::path> override;
        if (!dataDirOption.empty())
            override = dataDirOption;
        Result<DataDir> dir = resolveDataDir(override, installedDataDir());
        throwIf(dir.problem);
        m_dataDir = std::move(dir.value);
    }
    return *m_dataDir;
}

HidBackend& CliContext::backend()
{
    if (host)
        return *host->backend;
    if (!m_mouse) {
        MouseOpened opened =
            MouseSource::open({simulate, simFault, simUnplugAfter, simLinkOption, captureFile}, dataDir().path);
        if (!opened.source)
            throw cliError(*opened.problem, opened.unknownFault ? kUsageError : 1);
        m_mouse = std::move(opened.source);
    }
    return m_mouse->backend();
}

DeviceSession& CliContext::session()
{
    if (host) {
        // The running program's session keeps its own trace; --trace shows
        // this command's reports only.
        if (!m_connected && (trace || traceWire)) {
            m_trace.plainLines = trace;
            m_trace.wireLines = traceWire;
            host->session->setTrace(&m_trace);
            m_hostTraced = true;
        }
        return *host->session;
    }
    if (!m_session) {
        m_session = std::make_unique<DeviceSession>(backend(), m_reporter, m_status);
        m_session->link().setLinkConstants(linkConstants());
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
    // The folder is ours before the simulated mouse reads its memory there,
    // so that a busy folder is told at once.
    if (!m_connected && !host && simulate)
        lockForSimulatedMouse();
    HidLink& link = session().link();
    if (!m_connected && host) {
        // The running program found the mouse and ran the handshake already.
        m_connected = true;
        m_discovered = link.state() != LinkState::Closed;
        m_handshake = link.ready() ? HandshakeOutcome::Scrambled : HandshakeOutcome::NoAnswer;
    }
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
    if (requireReady && m_handshake == HandshakeOutcome::OtherConstants)
        throw CliError{text::kLinkConstantsDiffer(systemLanguage())};
    if (requireReady && !link.ready())
        throw CliError{std::string("the mouse was found but not accepted: ") + handshakeOutcomeName(m_handshake)};
    return link;
}

Workspace& CliContext::workspace()
{
    if (!m_workspace)
        m_workspace = std::make_unique<Workspace>(dataDir().path, m_reporter, systemLanguage());
    return *m_workspace;
}

void CliContext::lockDataFolder() { throwIf(workspace().lock()); }

void CliContext::lockForSimulatedMouse()
{
    // A free folder is only tried here, not kept: the lock below takes it.
    if (!FolderLock(dataDir().path, std::chrono::milliseconds(0)).held())
        std::cerr << "varcelctl: another program holds the lock of " << dataDir().path.string()
                  << ", where the simulated mouse keeps its memory; waiting for it (at most "
                  << FolderLock::kDefaultWait.count() / 1000 << " s)\n";
    lockDataFolder();
}

CliError cliError(const Failure& failure, int exitCode)
{
    return CliError{failureText(failure, systemLanguage()), exitCode};
}

CliError cliError(const Failure& failure, const LangText& consequence, int exitCode)
{
    return CliError{failureText(failure, systemLanguage()) + "; " + consequence(systemLanguage()), exitCode};
}

void throwIf(const Problem& problem, const LangText& consequence)
{
    if (problem)
        throw cliError(*problem, consequence);
}

void throwIf(const Problem& problem)
{
    if (problem)
        throw cliError(*problem);
}

void noteUnknownKey(const std::string& name, bool known, const char* table)
{
    if (!known && !name.empty())
        std::cerr << "note: \"" << name << "\" is not in the " << table << "; the mouse gets code 0 for it\n";
}

void throwUnlessApplied(const ApplyReport& report)
{
    if (!report.ran)
        throw CliError{"the mouse is not accepted; nothing was sent or saved"};
    if (report.ok())
        return;
    const Language language = systemLanguage();
    std::string message;
    if (!report.device.ok())
        message = failureText(Failure{FailureCode::ApplyIncomplete, {}, deviceProblemsText(report.device, language)},
                              language) +
                  "\n";
    if (report.saved)
        message += "  " + failureText(*report.saved, language) + "\n";
    else
        message += "  the files were saved; apply again once the mouse answers\n";
    if (report.device.ok())
        message = "the mouse has the configuration, but:\n" + message;
    message.pop_back();
    throw CliError{message};
}

} // namespace varcel
