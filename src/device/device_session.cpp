#include "device/device_session.h"

#include "platform/reporter.h"
#include "device/trace.h"

#include <array>
#include <cerrno>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace varcel {

namespace {

constexpr std::uint8_t kNotificationReportId = 6;

bool isNotificationCode(std::uint8_t code)
{
    return code == 5 || code == 7 || code == 8 || code == 9;
}

} // namespace

DeviceSession::DeviceSession(HidBackend& backend, Reporter& reporter, StatusSink& status)
    : m_link(backend), m_commands(m_link), m_reporter(reporter), m_status(status),
      m_wakeFd(adoptFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)))
{
    // A discovery that opens a notification handle wakes the reader, which
    // then waits on the new handle instead of the old one.
    m_link.setNotificationOpened([this] { wakeReader(); });
}

DeviceSession::~DeviceSession() { stop(); }

void DeviceSession::setTrace(TraceSink* trace)
{
    m_trace = trace;
    m_link.setTrace(trace);
    m_commands.setTrace(trace);
}

void DeviceSession::handshake()
{
    if (m_link.handshake(&m_status) == HandshakeOutcome::OtherConstants && !m_otherConstants.empty())
        m_reporter.messageBox(m_otherConstants, "Warning");
}

bool DeviceSession::start(const std::string& notFound, const std::string& otherConstants)
{
    m_otherConstants = otherConstants;
    if (m_link.discover())
        handshake();
    else
        m_reporter.messageBox(notFound, "Warning");
    // Without its wake-up the reader could never be told to end: it is not
    // started at all, and start-up ends here.
    if (!m_wakeFd) {
        m_reporter.messageBox("CreateEvent failed.", kAppTitle);
        return false;
    }
    if (m_link.ready())
        startReaderOnce();
    return m_link.ready();
}

void DeviceSession::handleHotplug(const std::vector<HotplugEvent>& events)
{
    if (!events.empty())
        rediscover(events.back().action == HotplugEvent::Action::Arrival);
}

void DeviceSession::rediscover(bool arrival)
{
    if (!m_link.discover()) {
        m_status.deviceStatus(StatusCode::NotDetected, 0);
        if (m_onGone)
            m_onGone();
        wakeReader();
        return;
    }
    if (arrival)
        handshake();
    else
        m_link.handshake(&m_status);
    wakeReader();
    if (arrival && m_link.ready()) {
        m_commands.exchangeSensorRecord();
        startReaderOnce();
    }
}

void DeviceSession::startReaderOnce()
{
    if (m_reader.joinable() || m_stopping || !m_wakeFd)
        return;
    m_reader = std::thread([this] { readerLoop(); });
}

void DeviceSession::wakeReader()
{
    if (!m_wakeFd)
        return;
    const std::uint64_t one = 1;
    [[maybe_unused]] auto n = ::write(fdOf(m_wakeFd), &one, sizeof one);
}

void DeviceSession::stop()
{
    m_stopping = true;
    wakeReader();
    if (m_reader.joinable())
        m_reader.join();
}

void DeviceSession::readerLoop()
{
    m_readerTid = static_cast<int>(::syscall(SYS_gettid));
    // A handle that failed (the mouse was pulled out) is not waited on again:
    // it would poll ready for ever. The next discovery brings a new one.
    std::shared_ptr<HidHandle> failed;
    std::array<std::uint8_t, 64> buffer{};

    while (!m_stopping) {
        std::shared_ptr<HidHandle> handle = m_link.ready() ? m_link.notificationHandle() : nullptr;
        if (handle == failed || (handle && handle->pollFd() < 0))
            handle.reset();

        std::array<pollfd, 2> fds{{{fdOf(m_wakeFd), POLLIN, 0}, {handle ? handle->pollFd() : -1, POLLIN, 0}}};
        // No time-out: while nothing happens the reader sleeps.
        if (::poll(fds.data(), handle ? 2 : 1, -1) < 0 && errno != EINTR)
            break;
        if (fds[0].revents & POLLIN) {
            std::uint64_t count = 0;
            [[maybe_unused]] auto n = ::read(fdOf(m_wakeFd), &count, sizeof count);
            continue; // look again at the link before reading anything
        }
        if (!handle || fds[1].revents == 0)
            continue;

        buffer.fill(0);
        // The buffer holds any notification the mouse sends; a read takes one report.
        const int got = handle->read(buffer, 0);
        if (got < 0) {
            failed = handle;
            continue;
        }
        if (got == 0 || !m_link.ready())
            continue;
        if (m_trace)
            m_trace->traceReport(TraceKind::Note, std::span(buffer).first(static_cast<std::size_t>(got)));
        if (buffer[0] == kNotificationReportId && isNotificationCode(buffer[1]))
            m_status.deviceStatus(static_cast<StatusCode>(buffer[1]), buffer[3]);
    }
}

} // namespace varcel
