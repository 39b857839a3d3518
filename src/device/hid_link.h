// The link to the mouse: discovery of its two vendor collections, command
// reports (scrambled once the handshake asks for it), data reports, and the
// handshake that decides whether the mouse is accepted.
#pragma once

#include "device/device_status.h"
#include "device/hid_backend.h"
#include "device/link_constants.h"
#include "device/protocol.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>

namespace varcel {

class TraceSink;

enum class LinkState {
    Closed,     // nothing open
    Discovered, // the command collection is open; the handshake has not spoken yet
    Ready,      // the mouse answered the scrambled handshake
    Rejected,   // it answered plainly or not at all; handles stay open
};

enum class HandshakeOutcome {
    Scrambled, // accepted
    Plain,     // a device that answers in the clear is not ours
    NoAnswer,
    // The plain probe went unanswered and the scrambled one was answered with
    // something else: a mouse that scrambles with other link constants.
    OtherConstants,
};

const char* linkStateName(LinkState state);
const char* handshakeOutcomeName(HandshakeOutcome outcome);

// What a data exchange delivered.
struct DataExchangeResult {
    bool sent = false;                // the command report went out
    bool answered = false;            // read-backs: a reply came back
    bool timedOut = false;            // an announced data report did not come in time
    std::size_t reportsAnnounced = 0; // from byte 2 of the command or of the reply
    std::size_t reportsDone = 0;      // written, or read before a time-out or failure
    std::size_t bytesAnnounced = 0;   // byte 2 of the reply (read-backs)
    bool complete() const { return sent && reportsDone == reportsAnnounced; }
};

class HidLink {
public:
    explicit HidLink(HidBackend& backend);
    ~HidLink();
    HidLink(const HidLink&) = delete;
    HidLink& operator=(const HidLink&) = delete;

    // Finds the mouse and opens its collections; replaces the handles of an
    // earlier discovery. Returns whether the command collection was opened.
    bool discover();

    // Runs the probe plain, then scrambled, and reports the outcome to
    // `status` (14 or 15) before the ready flag changes.
    HandshakeOutcome handshake(StatusSink* status);

    // Sends one command report (the link writes the checksum); a read-back
    // (bit 7 set) has the reply written back over `report`. Returns whether
    // the report went out and, for a read-back, whether a sound reply came:
    // a reply that did not come (or came garbled) leaves `report` all zero,
    // and nothing may be taken from it.
    bool exchangeCommand(CommandReport& report);

    // Sends one command with its data reports. For a write, `data` holds the
    // chunks to send (missing bytes go as zeros). For a read-back, `data`
    // receives the chunks the reply announces; chunks beyond its size are
    // read and dropped, so the mouse's queue stays in step.
    DataExchangeResult exchangeCommandWithData(CommandReport& report, std::span<std::uint8_t> data);

    // Closes every handle; the state becomes Closed.
    void close();

    // Waits one of the protocol's fixed pauses (skipped once a request failed).
    void pause(std::chrono::milliseconds ms);

    // Starts one whole operation (an apply, a sensor exchange): forgets the
    // failure and the time-out of the one before, so a single failed request
    // never silences the mouse for good.
    void beginOperation();
    // True once a request failed in this operation: the mouse is most likely
    // gone (the hot-plug path says so when it is), and the rest of the
    // operation returns at once without sending or pausing.
    bool failed() const { return m_failed.load(); }
    // The system's errno for the request that failed, 0 when it gave none.
    int lastError() const { return m_lastError; }
    // True once a data report did not come in time in this operation; later
    // reads of the operation take only what is already there, so a mouse that
    // stops answering costs one time-out, not one per report.
    bool timedOut() const { return m_timedOut.load(); }

    LinkState state() const { return m_state.load(); }
    bool ready() const { return m_state.load() == LinkState::Ready; }
    bool scrambling() const { return m_scrambling.load(); }

    // The notification collection's handle, shared with the reader. It may be
    // replaced by the next discovery; holders keep theirs alive until done.
    std::shared_ptr<HidHandle> notificationHandle() const;

    std::uint16_t featureLength() const { return m_featureLength; }
    std::uint16_t inputLength() const { return m_inputLength; }
    std::uint16_t outputLength() const { return m_outputLength; }
    std::uint16_t notificationLength() const { return m_notificationLength; }

    // The key and table the scrambling uses from the next handshake on.
    void setLinkConstants(const LinkConstants& constants) { m_constants = constants; }
    const LinkConstants& linkConstants() const { return m_constants; }

    void setTrace(TraceSink* trace) { m_trace = trace; }
    // Called when a discovery opened a notification handle (the reader's wake-up).
    void setNotificationOpened(std::function<void()> callback) { m_notificationOpened = std::move(callback); }
    // The fixed pauses of the protocol go through here, so a benchmark can
    // sum them and a test can see them.
    void setPause(std::function<void(std::chrono::milliseconds)> pause) { m_pause = std::move(pause); }
    // How long to wait for each announced data report before giving up on it.
    void setDataTimeout(std::chrono::milliseconds timeout) { m_dataTimeout = timeout; }

private:
    bool sendFeature(std::span<const std::uint8_t, kCommandSize> plain);
    // Returns whether a reply came (zeros are no reply). Read-backs trace a
    // missing reply and a wrong checksum; the handshake traces neither.
    bool receiveFeature(CommandReport& reply, bool descrambleReply, bool readBack);
    void drainStaleData();

    HidBackend& m_backend;
    std::unique_ptr<HidHandle> m_command;
    std::shared_ptr<HidHandle> m_notification;
    std::unique_ptr<HidHandle> m_notificationWrite; // kept open as the mouse's driver expects, never used
    mutable std::mutex m_notificationMutex;

    std::uint16_t m_featureLength = 0;
    std::uint16_t m_inputLength = 0;
    std::uint16_t m_outputLength = 0;
    std::uint16_t m_notificationLength = 0;

    std::atomic<LinkState> m_state{LinkState::Closed};
    std::atomic<bool> m_scrambling{false};
    std::atomic<bool> m_failed{false};
    int m_lastError = 0;
    // The first failure of an operation keeps its errno.
    void markFailed()
    {
        if (!m_failed && m_command)
            m_lastError = m_command->lastError();
        m_failed = true;
    }
    std::atomic<bool> m_timedOut{false};
    KeyRecord m_key{};
    AdditiveTable m_table{};
    LinkConstants m_constants = builtInLinkConstants();

    TraceSink* m_trace = nullptr;
    std::function<void()> m_notificationOpened;
    std::function<void(std::chrono::milliseconds)> m_pause;
    std::chrono::milliseconds m_dataTimeout{500};
};

} // namespace varcel
