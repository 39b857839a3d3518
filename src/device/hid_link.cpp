#include "device/hid_link.h"

#include "device/trace.h"
#include "platform/precise_pause.h"

#include <algorithm>
#include <vector>

namespace varcel {

namespace {

// The mouse needs a moment between the probe and its answer.
constexpr std::chrono::milliseconds kProbeAnswerDelay{5};
// Each data report written needs time to be taken in before the next.
constexpr std::chrono::milliseconds kDataReportDelay{3};

// Collections announce lengths that count the report-ID byte; a command or
// data report needs at least its own bytes plus that one.
constexpr std::size_t kMinFeatureLength = 1 + kCommandSize;
constexpr std::size_t kMinDataLength = 1 + kDataSize;

bool isMouse(const HidInterfaceInfo& info) { return info.vendorId == kVendorId && info.productId == kProductId; }

bool isCommandCollection(const HidInterfaceInfo& info)
{
    return info.usagePage == kCommandUsage && info.usage == kCommandUsage && info.featureLength != 0;
}

bool isNotificationCollection(const HidInterfaceInfo& info)
{
    return info.usagePage == kNotificationUsage && info.usage == kNotificationUsage && info.inputLength != 0;
}

bool probeMatches(const CommandReport& answer)
{
    // Bytes 1 to 4 of the command are report bytes 2 to 5.
    return std::equal(kProbeParams.begin(), kProbeParams.begin() + 4, answer.begin() + 1);
}

} // namespace

const char* linkStateName(LinkState state)
{
    switch (state) {
    case LinkState::Closed: return "closed";
    case LinkState::Discovered: return "discovered";
    case LinkState::Ready: return "ready";
    case LinkState::Rejected: return "rejected";
    }
    return "?";
}

const char* handshakeOutcomeName(HandshakeOutcome outcome)
{
    switch (outcome) {
    case HandshakeOutcome::Scrambled: return "accepted (scrambled answer)";
    case HandshakeOutcome::Plain: return "rejected (plain answer)";
    case HandshakeOutcome::NoAnswer: return "rejected (no answer)";
    case HandshakeOutcome::OtherConstants: return "rejected (scrambled answer that does not match: other link constants)";
    }
    return "?";
}

HidLink::HidLink(HidBackend& backend) : m_backend(backend) {}

HidLink::~HidLink() { close(); }

void HidLink::close()
{
    m_state = LinkState::Closed;
    m_scrambling = false;
    m_command.reset();
    m_notificationWrite.reset();
    std::lock_guard lock(m_notificationMutex);
    m_notification.reset();
}

std::shared_ptr<HidHandle> HidLink::notificationHandle() const
{
    std::lock_guard lock(m_notificationMutex);
    return m_notification;
}

bool HidLink::discover()
{
    close();
    beginOperation();
    m_featureLength = m_inputLength = m_outputLength = m_notificationLength = 0;

    // Both collections are looked for whatever order the system lists them
    // in, and one that cannot be opened is passed over: another interface of
    // the same mouse (or a second mouse) may still serve.
    bool notificationOpened = false;
    for (const HidInterfaceInfo& info : m_backend.enumerate()) {
        if (!isMouse(info))
            continue;
        if (!m_command && isCommandCollection(info)) {
            auto handle = m_backend.open(info.path, HidAccess::ReadWrite);
            if (!handle)
                continue;
            m_command = std::move(handle);
            m_featureLength = info.featureLength;
            m_inputLength = info.inputLength;
            m_outputLength = info.outputLength;
        } else if (!notificationOpened && isNotificationCollection(info)) {
            auto reader = m_backend.open(info.path, HidAccess::Read);
            if (!reader)
                continue;
            {
                std::lock_guard lock(m_notificationMutex);
                m_notification = std::move(reader);
            }
            m_notificationWrite = m_backend.open(info.path, HidAccess::Write);
            m_notificationLength = info.inputLength;
            notificationOpened = true;
        }
        if (m_command && notificationOpened)
            break;
    }
    if (notificationOpened && m_notificationOpened)
        m_notificationOpened();
    if (!m_command)
        return false;
    // Provisionally ready until the handshake speaks.
    m_state = LinkState::Discovered;
    return true;
}

void HidLink::pause(std::chrono::milliseconds ms)
{
    if (m_failed)
        return;
    if (m_pause)
        m_pause(ms);
    else
        pauseFor(ms);
}

void HidLink::beginOperation()
{
    m_failed = false;
    m_timedOut = false;
}

bool HidLink::sendFeature(std::span<const std::uint8_t, kCommandSize> plain)
{
    if (m_trace)
        m_trace->traceReport(TraceKind::CommandOut, plain);
    std::vector<std::uint8_t> buffer(std::max<std::size_t>(m_featureLength, kMinFeatureLength), 0);
    std::copy(plain.begin(), plain.end(), buffer.begin() + 1);
    if (m_scrambling)
        scramble(std::span<std::uint8_t, kCommandSize>(buffer.data() + 1, kCommandSize), m_key, m_table);
    if (m_trace)
        m_trace->traceWire(true, std::span(buffer).subspan(1, kCommandSize), plain);
    if (m_failed || !m_command || !m_command->setFeature(buffer)) {
        markFailed();
        return false;
    }
    return true;
}

bool HidLink::receiveFeature(CommandReport& reply, bool descrambleReply, bool readBack)
{
    std::vector<std::uint8_t> buffer(std::max<std::size_t>(m_featureLength, kMinFeatureLength), 0);
    // Some devices refuse a request they did not expect; that alone does not
    // mean the mouse is gone, so a refused get-feature does not end the
    // operation. Its reply counts as all zero, which announces no data.
    bool answered = !m_failed && m_command && m_command->getFeature(buffer);
    std::span<std::uint8_t, kCommandSize> bytes(buffer.data() + 1, kCommandSize);
    // A mouse with nothing to say hands back zeros. They are not descrambled:
    // descrambled zeros would make up a reply, length and all.
    if (answered && std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == 0; }))
        answered = false;
    CommandReport wire{};
    std::copy(bytes.begin(), bytes.end(), wire.begin());
    if (answered && descrambleReply)
        descramble(bytes, m_key, m_table);
    if (answered && m_trace)
        m_trace->traceWire(false, wire, bytes);
    // Replies are taken whatever their checksum byte says: nothing says the
    // firmware fills that byte in its replies, and refusing them would fail
    // every read-back of a mouse that does not. The trace says so, for a user
    // comparing with a capture.
    const bool checksumWrong = answered && readBack && bytes[7] != commandChecksum(bytes);
    if (!answered)
        std::fill(buffer.begin(), buffer.end(), 0);
    std::copy(bytes.begin(), bytes.end(), reply.begin());
    if (m_trace && answered)
        m_trace->traceReport(TraceKind::CommandIn, reply);
    if (m_trace && checksumWrong)
        m_trace->traceRemark("the reply's checksum is wrong; the reply is taken as it came");
    else if (m_trace && !answered && readBack && !m_failed)
        m_trace->traceRemark("no reply");
    return answered;
}

void HidLink::drainStaleData()
{
    // Reports left over from a reply that came too late would be taken for
    // the next reply's data.
    if (m_failed || !m_command)
        return;
    std::vector<std::uint8_t> buffer(std::max<std::size_t>(m_inputLength, kMinDataLength));
    for (int i = 0; i < 256 && m_command->read(buffer, 0) > 0; ++i)
        if (m_trace)
            m_trace->traceRemark("dropped a late data report");
}

HandshakeOutcome HidLink::handshake(StatusSink* status)
{
    CommandReport probe{cmd::kProbe};
    std::copy(kProbeParams.begin(), kProbeParams.end(), probe.begin() + 1);
    putChecksum(probe);

    CommandReport answer{};
    const auto ask = [&](bool scrambled) {
        m_scrambling = scrambled;
        beginOperation();
        sendFeature(probe);
        pause(kProbeAnswerDelay);
        return receiveFeature(answer, scrambled, false);
    };
    // Plain first: a mouse that answers in the clear is not ours.
    const bool plainAnswered = ask(false);
    HandshakeOutcome outcome = HandshakeOutcome::NoAnswer;
    if (probeMatches(answer)) {
        outcome = HandshakeOutcome::Plain;
    } else {
        m_key = m_constants.keyRecord();
        m_table = m_constants.table;
        const bool scrambledAnswered = ask(true);
        if (probeMatches(answer))
            outcome = HandshakeOutcome::Scrambled;
        else if (scrambledAnswered && !plainAnswered)
            outcome = HandshakeOutcome::OtherConstants;
    }

    const bool accepted = outcome == HandshakeOutcome::Scrambled;
    m_scrambling = accepted;
    if (status)
        status->deviceStatus(accepted ? StatusCode::Detected : StatusCode::NotDetected, 0);
    m_state = accepted ? LinkState::Ready : LinkState::Rejected;
    beginOperation();
    return outcome;
}

bool HidLink::exchangeCommand(CommandReport& report)
{
    putChecksum(report);
    if (!sendFeature(report)) {
        if (report[0] & kReadBackBit)
            report.fill(0);
        return false;
    }
    if (report[0] & kReadBackBit)
        return receiveFeature(report, m_scrambling, true);
    return true;
}

DataExchangeResult HidLink::exchangeCommandWithData(CommandReport& report, std::span<std::uint8_t> data)
{
    DataExchangeResult result;
    putChecksum(report);
    const bool readBack = report[0] & kReadBackBit;
    if (readBack)
        drainStaleData();
    result.sent = sendFeature(report);

    if (!readBack) {
        result.reportsAnnounced = dataReportCount(report[2]);
        if (!result.sent)
            return result; // data without its command would be taken for something else
        std::vector<std::uint8_t> buffer(std::max<std::size_t>(m_outputLength, kMinDataLength));
        for (std::size_t i = 0; i < result.reportsAnnounced; ++i) {
            std::fill(buffer.begin(), buffer.end(), 0);
            const std::size_t from = i * kDataSize;
            if (from < data.size())
                std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(from),
                            std::min(kDataSize, data.size() - from), buffer.begin() + 1);
            if (m_trace)
                m_trace->traceReport(TraceKind::DataOut, std::span(buffer).subspan(1, kDataSize));
            if (m_failed || !m_command || !m_command->write(buffer)) {
                markFailed();
                break;
            }
            ++result.reportsDone;
            pause(kDataReportDelay);
        }
        return result;
    }

    if (!result.sent) {
        report.fill(0);
        return result;
    }
    result.answered = receiveFeature(report, m_scrambling, true);
    if (!result.answered)
        return result;
    result.bytesAnnounced = report[2];
    result.reportsAnnounced = dataReportCount(report[2]);
    std::vector<std::uint8_t> buffer(std::max<std::size_t>(m_inputLength, kMinDataLength));
    for (std::size_t i = 0; i < result.reportsAnnounced; ++i) {
        std::fill(buffer.begin(), buffer.end(), 0);
        // A mouse that sends fewer reports than it announced must not hang
        // the program: give up on the rest after the time-out, and after one
        // time-out take only what is already there for the rest of the
        // operation.
        const int timeout = m_timedOut ? 0 : static_cast<int>(m_dataTimeout.count());
        const int got = !m_failed && m_command ? m_command->read(buffer, timeout) : -1;
        if (got < 0)
            markFailed();
        if (got == 0) {
            m_timedOut = true;
            result.timedOut = true;
        }
        if (got <= 0)
            break;
        if (m_trace)
            m_trace->traceReport(TraceKind::DataIn, std::span(buffer).subspan(1, kDataSize));
        const std::size_t to = i * kDataSize;
        if (to < data.size())
            std::copy_n(buffer.begin() + 1, std::min(kDataSize, data.size() - to),
                        data.begin() + static_cast<std::ptrdiff_t>(to));
        ++result.reportsDone;
    }
    return result;
}

} // namespace varcel
