// Keeps the program in step with the mouse while it runs: brings the link up,
// follows the mouse being plugged in and out, and runs the reader thread that
// hands the mouse's own notifications to the application.
#pragma once

#include "device/device_commands.h"
#include "device/device_status.h"
#include "device/hid_link.h"
#include "device/hotplug.h"
#include "platform/unique_fd.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

namespace varcel {

class Reporter;
class TraceSink;

class DeviceSession {
public:
    // `status` hears every status code: handshake outcomes on the calling
    // thread, notifications on the reader thread. It must not block for long
    // and must never wait for the thread that calls handleHotplug.
    DeviceSession(HidBackend& backend, Reporter& reporter, StatusSink& status);
    ~DeviceSession();
    DeviceSession(const DeviceSession&) = delete;
    DeviceSession& operator=(const DeviceSession&) = delete;

    // Start-up: discovery and the handshake; a mouse that is not there is
    // reported in a message box with `notFound` (in the user's language).
    // Returns whether the link is ready. When the reader's wake-up cannot be
    // made, "CreateEvent failed." is reported and the reader never starts
    // (broken() is then true).
    // A mouse that scrambles with other link constants is told with
    // `otherConstants`, at start-up and whenever it is plugged in.
    bool start(const std::string& notFound = "The system did not detect the gaming mouse!",
               const std::string& otherConstants = {});

    // Arrivals and removals of the mouse that arrived together. The mouse
    // shows up as several device nodes at once; one discovery serves them all,
    // so the user hears of each plug-in once.
    void handleHotplug(const std::vector<HotplugEvent>& events);

    // Ends the reader; safe to call twice.
    void stop();

    HidLink& link() { return m_link; }
    DeviceCommands& commands() { return m_commands; }
    bool ready() const { return m_link.ready(); }
    bool broken() const { return !m_wakeFd; }
    bool readerStarted() const { return m_reader.joinable(); }
    // The reader's kernel thread id, for those who watch it stay idle.
    int readerThreadId() const { return m_readerTid.load(); }

    // Called when the mouse is gone, so the window can hide itself.
    void setOnGone(std::function<void()> callback) { m_onGone = std::move(callback); }
    // Reports of both threads go here; it must be safe to call from either.
    void setTrace(TraceSink* trace);

private:
    void rediscover(bool arrival);
    void handshake();
    void startReaderOnce();
    void wakeReader();
    void readerLoop();

    HidLink m_link;
    DeviceCommands m_commands;
    Reporter& m_reporter;
    StatusSink& m_status;
    TraceSink* m_trace = nullptr;
    std::function<void()> m_onGone;
    std::string m_otherConstants;

    std::thread m_reader;
    std::atomic<bool> m_stopping{false};
    std::atomic<int> m_readerTid{0};
    UniqueFd m_wakeFd;
};

} // namespace varcel
