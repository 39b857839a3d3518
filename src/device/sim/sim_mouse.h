// The simulated mouse: the firmware side of the protocol, for users without
// the hardware and for every test that needs a device. It answers the
// handshake scrambled, keeps what it is sent, answers the read-backs from its
// memory, sends notifications on request, and can be told to misbehave.
#pragma once

#include "device/link_constants.h"
#include "device/protocol.h"
#include "platform/atomic_file.h"

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace varcel {

// What the mouse keeps between power cycles.
struct SimMemory {
    std::uint8_t reportRate = 1;
    std::array<std::uint8_t, 4> sensor{0, 0x01, 0x00, 0x00};    // type, rate, option 1, option 2
    std::array<std::array<std::uint8_t, 24>, 2> colourBlocks{}; // blocks 0 and 1
    std::array<std::uint8_t, 4> dpiColourBits{};                // block 2
    std::array<std::uint8_t, 3> rgbEffect{1, 10, 3};
    std::array<std::uint8_t, 9> dpi{4, 0x01, 0x02, 0x03, 0x04, 0x80, 0x80, 0x80, 0x80};
    std::array<std::array<std::uint8_t, 64>, 4> keyMatrices{};
    std::array<std::array<std::uint8_t, 128>, 12> macros{};

    bool operator==(const SimMemory&) const = default;
};

// Ways the simulated mouse can be told to misbehave.
enum class SimFault {
    None,
    AnswerPlain,     // echoes the probe in the clear, as a foreign device would
    AnswerNothing,   // never answers a feature request
    ShortSend,       // announces data reports for read-backs but sends one fewer
    UnplugAfter,     // is pulled out after a number of reports, sent or read by the host
    CommandFirst,    // lists its command collection before its notification one
    UnopenableFirst, // a second, broken copy of the mouse is listed first and cannot be opened
    OversizeReply,   // read-backs announce (and send) more data than the block holds
    WrongBlock,      // read-backs name a block or macro that does not exist
    BadChecksum,     // replies to read-backs carry a wrong checksum
    RefuseOnce,      // refuses one report from the host (the Nth), then carries on
};

const char* simFaultName(SimFault fault);
std::optional<SimFault> simFaultFromName(const std::string& name);

// The collections the simulated mouse presents (and a few other devices, as
// a real system has).
enum class SimCollection { Command, Notification };

class UsbmonCaptureWriter;

class SimMouse {
public:
    // With a memory file, the mouse remembers what it was sent across runs.
    explicit SimMouse(std::optional<std::filesystem::path> memoryFile = std::nullopt);
    // Writes the memory file when anything was stored since it was read.
    ~SimMouse();
    SimMouse(const SimMouse&) = delete;
    SimMouse& operator=(const SimMouse&) = delete;

    // Host side, called by the backend's handles. Buffers carry the report ID
    // in byte 0. All return false / -1 while unplugged.
    bool setFeature(std::span<const std::uint8_t> report);
    bool getFeature(std::span<std::uint8_t> report);
    bool writeData(std::span<const std::uint8_t> report);
    int readData(std::span<std::uint8_t> buffer, int timeoutMs);
    int readNotification(std::span<std::uint8_t> buffer, int timeoutMs);

    // Control.
    // `count`: for UnplugAfter the reports taken or given (replies and data
    // reports read by the host count too; notifications do not) before the
    // mouse is pulled out, for RefuseOnce the number of the report refused.
    void setFault(SimFault fault, int count = 0);
    SimFault fault() const;
    void plug();
    void unplug();
    bool plugged() const;
    // Queues a notification report: ID 6, code, 0, value.
    void notify(std::uint8_t code, std::uint8_t value);
    // Called (from whichever thread) when plugging state or queues change, so
    // backends can wake their waiters.
    void setChangeCallback(std::function<void()> callback);
    // Called when the mouse is plugged in (true) or pulled out (false), from
    // whichever thread did it, with the mouse's lock held: keep it short.
    void setPlugCallback(std::function<void(bool plugged)> callback);

    // The key and table of the mouse's firmware (the built-in ones unless
    // told otherwise), for a mouse that scrambles differently from the program.
    void setLinkConstants(const LinkConstants& constants);
    // Every report from here on, as it goes over the wire, into `capture`
    // (which must outlive the mouse or be taken away with nullptr).
    void setCapture(UsbmonCaptureWriter* capture);

    SimMemory memory() const;
    void setMemory(const SimMemory& memory);
    bool scrambledSession() const;
    int checksumErrors() const;

    // Every report in both directions, in the --trace form.
    std::vector<std::string> log() const;
    void clearLog();

    // Writes the memory file (if any) now, to the disk, waiting for a busy
    // folder as any save does. It is also written (to the system's cache) at
    // the end of every exchange that changed the memory, and to the disk when
    // the mouse goes away; when another program is saving in the folder just
    // then, a thread of the mouse's own writes it as soon as the folder is free.
    bool saveMemory();

    // Bounds on what the mouse keeps in memory.
    static constexpr std::size_t kLogLimit = 8192;
    static constexpr std::size_t kNoteQueueLimit = 64;

private:
    struct PendingWrite {
        std::uint8_t command = 0;
        std::uint8_t target = 0;
        std::size_t expected = 0; // data reports still to come
        std::vector<std::uint8_t> data;
    };

    void handleCommand(const CommandReport& plain);
    void finishWrite(const PendingWrite& write);
    void queueData(std::span<const std::uint8_t> bytes, std::size_t announced);
    void answerRead(std::uint8_t command, std::uint8_t target, std::uint8_t wrongTarget,
                    std::span<const std::uint8_t> block);
    void countHostReport();
    void exchangeDone();
    int writeMemory(SimMemory copy, std::chrono::milliseconds lockWait, Durability durability) const;
    void saverLoop();
    void stopSaver();
    bool refuseThisReport();
    void record(const std::string& line);
    void changed();
    // Power comes or goes; the caller holds the lock.
    void setPlugged(bool plugged);
    int popQueue(std::deque<std::vector<std::uint8_t>>& queue, std::span<std::uint8_t> buffer, int timeoutMs);
    // A member read or replaced under the mouse's lock, for the other threads.
    template <typename T>
    T locked(const T& member) const
    {
        std::lock_guard lock(m_mutex);
        return member;
    }
    template <typename T>
    void setLocked(T& member, T value)
    {
        std::lock_guard lock(m_mutex);
        member = std::move(value);
    }

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    SimMemory m_memory;
    std::optional<std::filesystem::path> m_memoryFile;
    SimFault m_fault = SimFault::None;
    int m_reportsBeforeUnplug = 0;
    bool m_plugged = true;
    bool m_scrambled = false;
    bool m_dirty = false;
    bool m_unsynced = false; // written since the last save to the disk
    int m_checksumErrors = 0;
    std::optional<CommandReport> m_reply; // plain form of the next feature answer
    bool m_replyScrambled = false;
    std::optional<PendingWrite> m_pending;
    std::deque<std::vector<std::uint8_t>> m_dataQueue; // input reports of the command collection
    std::deque<std::vector<std::uint8_t>> m_noteQueue; // notification reports
    std::vector<std::string> m_log;
    std::function<void()> m_changeCallback;
    std::function<void(bool)> m_plugCallback;
    LinkConstants m_constants = builtInLinkConstants();
    UsbmonCaptureWriter* m_capture = nullptr;
    std::condition_variable m_saveWake;
    bool m_saveQueued = false;
    bool m_stopSaver = false;
    std::thread m_saver;
};

} // namespace varcel
