#include "device/sim/sim_mouse.h"

#include "device/sim/sim_capture.h"
#include "device/trace.h"
#include "platform/atomic_file.h"
#include "platform/file_read.h"
#include "platform/folder_lock.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace varcel {

namespace {

// Memory file: a tag, then the fields in declaration order.
constexpr char kMemoryTag[8] = {'V', 'S', 'I', 'M', 'M', 'E', 'M', '1'};

template <typename Fn>
void forEachField(SimMemory& m, Fn&& fn)
{
    fn(&m.reportRate, 1);
    fn(m.sensor.data(), m.sensor.size());
    for (auto& block : m.colourBlocks)
        fn(block.data(), block.size());
    fn(m.dpiColourBits.data(), m.dpiColourBits.size());
    fn(m.rgbEffect.data(), m.rgbEffect.size());
    fn(m.dpi.data(), m.dpi.size());
    for (auto& matrix : m.keyMatrices)
        fn(matrix.data(), matrix.size());
    for (auto& macro : m.macros)
        fn(macro.data(), macro.size());
}

std::size_t memoryFileSize()
{
    SimMemory m;
    std::size_t size = sizeof kMemoryTag;
    forEachField(m, [&](std::uint8_t*, std::size_t n) { size += n; });
    return size;
}

bool isProbe(const CommandReport& r)
{
    return r[0] == cmd::kProbe && std::equal(kProbeParams.begin(), kProbeParams.end(), r.begin() + 1) &&
           r[7] == commandChecksum(r);
}

constexpr std::pair<SimFault, const char*> kFaultNames[] = {{SimFault::None, "none"},
                                                            {SimFault::AnswerPlain, "plain"},
                                                            {SimFault::AnswerNothing, "silent"},
                                                            {SimFault::ShortSend, "short"},
                                                            {SimFault::UnplugAfter, "unplug-after"},
                                                            {SimFault::CommandFirst, "command-first"},
                                                            {SimFault::UnopenableFirst, "unopenable-first"},
                                                            {SimFault::OversizeReply, "oversize"},
                                                            {SimFault::WrongBlock, "wrong-block"},
                                                            {SimFault::BadChecksum, "bad-checksum"},
                                                            {SimFault::RefuseOnce, "refuse-once"}};

} // namespace

const char* simFaultName(SimFault fault)
{
    for (const auto& [each, name] : kFaultNames)
        if (each == fault)
            return name;
    return "?";
}

std::optional<SimFault> simFaultFromName(const std::string& name)
{
    for (const auto& [fault, each] : kFaultNames)
        if (name == each)
            return fault;
    return std::nullopt;
}

SimMouse::SimMouse(std::optional<std::filesystem::path> memoryFile) : m_memoryFile(std::move(memoryFile))
{
    if (!m_memoryFile)
        return;
    // Read under the folder's lock, which every write of the file holds: a
    // file being rewritten in place is never read half new. Should another
    // program keep the folder for long, the mouse starts with what is there.
    const FolderLock lock(m_memoryFile->parent_path(), std::chrono::seconds(1));
    const FileRead read = readRegularFile(*m_memoryFile, memoryFileSize());
    if (read.status != FileRead::Status::Ok && read.status != FileRead::Status::Missing &&
        read.status != FileRead::Status::TooLarge) {
        // Something we cannot read (or a folder, a FIFO) holds the name: the
        // mouse starts afresh and keeps its memory to itself rather than
        // replace what is there.
        m_memoryFile.reset();
        return;
    }
    const std::string& bytes = read.bytes;
    // A memory file of another size or tag is from another version: start
    // afresh, as a mouse with a new firmware would.
    if (bytes.size() != memoryFileSize() || std::memcmp(bytes.data(), kMemoryTag, sizeof kMemoryTag) != 0)
        return;
    std::size_t at = sizeof kMemoryTag;
    forEachField(m_memory, [&](std::uint8_t* field, std::size_t n) {
        std::memcpy(field, bytes.data() + at, n);
        at += n;
    });
}

SimMouse::~SimMouse()
{
    stopSaver();
    if (m_dirty || m_unsynced)
        saveMemory();
}

bool SimMouse::saveMemory()
{
    stopSaver();
    const SimMemory copy = memory();
    const int error = writeMemory(copy, FolderLock::kDefaultWait, Durability::Disk);
    std::lock_guard lock(m_mutex);
    if (error != 0)
        return false;
    m_unsynced = false;
    if (m_memory == copy)
        m_dirty = false;
    return true;
}

void SimMouse::exchangeDone()
{
    // What the mouse holds is in its file once the exchange that changed it
    // is over, as a real mouse keeps it over a power cut: a program ended by
    // a signal, or killed, loses nothing. The system's cache is enough for
    // that; the disk gets it once, when the program lets the mouse go, not
    // two dozen times in one apply.
    if (!m_dirty)
        return;
    if (m_saveQueued) {
        m_saveWake.notify_one(); // the saver writes the latest memory
        return;
    }
    // This runs on the window's thread: while another program saves in the
    // data folder the window must not wait for it, so the saver thread does.
    const int error = writeMemory(m_memory, std::chrono::milliseconds(0), Durability::Cache);
    if (error == 0) {
        m_dirty = false;
        m_unsynced = true;
    } else if (error == EWOULDBLOCK) {
        record("# the memory file waits: another program is saving in its folder");
        m_saveQueued = true;
        if (!m_saver.joinable())
            m_saver = std::thread([this] { saverLoop(); });
        m_saveWake.notify_one();
    }
}

void SimMouse::saverLoop()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_saveWake.wait(lock, [this] { return m_saveQueued || m_stopSaver; });
        if (m_stopSaver)
            return; // the last save is the caller's
        const SimMemory copy = m_memory;
        lock.unlock();
        const int error = writeMemory(copy, FolderLock::kDefaultWait, Durability::Cache);
        lock.lock();
        if (error == 0) {
            m_unsynced = true;
            if (m_memory == copy) {
                m_dirty = false;
                m_saveQueued = false;
            }
            continue;
        }
        record(std::string("# the memory file could not be saved: ") + std::strerror(error));
        // A busy folder is waited for again (each try waits for the lock);
        // any other failure is tried again at the next exchange, and at the end.
        if (error != EWOULDBLOCK)
            m_saveQueued = false;
    }
}

void SimMouse::stopSaver()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopSaver = true;
    }
    m_saveWake.notify_one();
    if (m_saver.joinable())
        m_saver.join();
    std::lock_guard lock(m_mutex);
    m_stopSaver = false;
    m_saveQueued = false;
}

int SimMouse::writeMemory(SimMemory copy, std::chrono::milliseconds lockWait, Durability durability) const
{
    if (!m_memoryFile)
        return 0;
    std::vector<std::uint8_t> bytes(kMemoryTag, kMemoryTag + sizeof kMemoryTag);
    forEachField(copy, [&](std::uint8_t* field, std::size_t n) { bytes.insert(bytes.end(), field, field + n); });
    // Each exchange that changes the memory rewrites the file in place; the
    // last save, with its sync, replaces it whole.
    if (durability == Durability::Cache)
        if (const int error = overwriteInPlace(*m_memoryFile, bytes.data(), bytes.size(), lockWait); error != ENOTSUP)
            return error;
    return replaceFileAtomically(*m_memoryFile, bytes.data(), bytes.size(), {}, lockWait, durability);
}

void SimMouse::setLinkConstants(const LinkConstants& constants) { setLocked(m_constants, constants); }

void SimMouse::setCapture(UsbmonCaptureWriter* capture) { setLocked(m_capture, capture); }

void SimMouse::setChangeCallback(std::function<void()> callback) { setLocked(m_changeCallback, std::move(callback)); }

void SimMouse::setPlugCallback(std::function<void(bool)> callback) { setLocked(m_plugCallback, std::move(callback)); }

void SimMouse::changed()
{
    m_wake.notify_all();
    if (m_changeCallback)
        m_changeCallback();
}

void SimMouse::record(const std::string& line)
{
    // The log keeps the latest reports only; a mouse that runs for days
    // must not grow with every notification.
    if (m_log.size() >= kLogLimit)
        m_log.erase(m_log.begin(), m_log.begin() + static_cast<std::ptrdiff_t>(kLogLimit / 4));
    m_log.push_back(line);
}

std::vector<std::string> SimMouse::log() const { return locked(m_log); }

void SimMouse::clearLog() { setLocked(m_log, {}); }

SimMemory SimMouse::memory() const { return locked(m_memory); }

void SimMouse::setMemory(const SimMemory& memory) { setLocked(m_memory, memory); }

bool SimMouse::scrambledSession() const { return locked(m_scrambled); }

int SimMouse::checksumErrors() const { return locked(m_checksumErrors); }

void SimMouse::setFault(SimFault fault, int reportsBeforeUnplug)
{
    std::lock_guard lock(m_mutex);
    m_fault = fault;
    m_reportsBeforeUnplug = reportsBeforeUnplug;
}

SimFault SimMouse::fault() const { return locked(m_fault); }

bool SimMouse::plugged() const { return locked(m_plugged); }

void SimMouse::plug()
{
    std::lock_guard lock(m_mutex);
    setPlugged(true);
}

void SimMouse::unplug()
{
    std::lock_guard lock(m_mutex);
    setPlugged(false);
}

void SimMouse::setPlugged(bool plugged)
{
    if (m_plugged == plugged)
        return;
    m_plugged = plugged;
    // Power comes or goes: no session, nothing half-received survives it.
    m_scrambled = false;
    m_reply.reset();
    m_pending.reset();
    m_dataQueue.clear();
    m_noteQueue.clear();
    changed();
    if (m_plugCallback)
        m_plugCallback(m_plugged);
}

void SimMouse::notify(std::uint8_t code, std::uint8_t value)
{
    std::lock_guard lock(m_mutex);
    if (!m_plugged)
        return;
    // Like the mouse's own buffer, the queue holds a bounded number of
    // notifications; the oldest go first when nobody reads them.
    if (m_noteQueue.size() >= kNoteQueueLimit)
        m_noteQueue.pop_front();
    m_noteQueue.push_back({6, code, 0, value, 0, 0, 0, 0});
    changed();
}

void SimMouse::countHostReport()
{
    if (m_fault != SimFault::UnplugAfter)
        return;
    if (--m_reportsBeforeUnplug > 0)
        return;
    m_fault = SimFault::None;
    setPlugged(false);
}

bool SimMouse::refuseThisReport()
{
    if (m_fault != SimFault::RefuseOnce || --m_reportsBeforeUnplug > 0)
        return false;
    m_fault = SimFault::None;
    record("# refused");
    return true;
}

bool SimMouse::setFeature(std::span<const std::uint8_t> report)
{
    std::lock_guard lock(m_mutex);
    if (!m_plugged || report.size() < 1 + kCommandSize || refuseThisReport())
        return false;
    if (m_capture)
        m_capture->setFeature(report.subspan(1));
    CommandReport raw{};
    std::copy_n(report.begin() + 1, kCommandSize, raw.begin());

    // A plain probe starts a new session; after a scrambled one, everything
    // the host sends is scrambled.
    CommandReport plain = raw;
    bool wasScrambled = false;
    bool understood = true;
    if (isProbe(raw)) {
        m_scrambled = false;
    } else {
        CommandReport unscrambled = raw;
        descramble(unscrambled, m_constants.keyRecord(), m_constants.table);
        if (m_scrambled || isProbe(unscrambled)) {
            plain = unscrambled;
            wasScrambled = true;
        } else {
            // Before a session only a probe makes sense to a scrambling
            // firmware; a plain one (the foreign device of AnswerPlain) takes
            // whatever it is sent.
            understood = m_fault == SimFault::AnswerPlain;
        }
    }
    record(formatTraceLine(TraceKind::CommandOut, plain));
    if (plain[7] != commandChecksum(plain))
        ++m_checksumErrors;

    m_reply.reset();
    if (!understood) {
        // What the firmware could not read (a probe scrambled with other
        // constants) gets its refusal, scrambled as it scrambles everything:
        // a host with other constants reads it as noise.
        m_reply = CommandReport{0xFF};
        m_replyScrambled = true;
    } else if (plain[0] == cmd::kProbe) {
        if (m_fault == SimFault::AnswerPlain && !wasScrambled) {
            m_reply = plain;
            m_replyScrambled = false;
        } else if (m_fault != SimFault::AnswerPlain && wasScrambled) {
            m_scrambled = true;
            m_reply = plain;
            m_replyScrambled = true;
        }
        // Our firmware does not answer a plain probe: the host must scramble.
    } else {
        handleCommand(plain);
        if (!m_pending)
            exchangeDone();
    }
    countHostReport();
    return true;
}

bool SimMouse::getFeature(std::span<std::uint8_t> report)
{
    std::lock_guard lock(m_mutex);
    if (!m_plugged || report.size() < 1 + kCommandSize)
        return false;
    std::fill(report.begin(), report.end(), 0);
    if (!m_reply || m_fault == SimFault::AnswerNothing) {
        if (m_capture)
            m_capture->getFeature(report.subspan(1));
        return true;
    }
    CommandReport out = *m_reply;
    putChecksum(out);
    if (m_fault == SimFault::BadChecksum && out[0] != cmd::kProbe)
        out[7] = static_cast<std::uint8_t>(out[7] ^ 0x5A);
    record(formatTraceLine(TraceKind::CommandIn, out));
    if (m_replyScrambled)
        scramble(out, m_constants.keyRecord(), m_constants.table);
    std::copy(out.begin(), out.end(), report.begin() + 1);
    m_reply.reset();
    if (m_capture)
        m_capture->getFeature(report.subspan(1));
    countHostReport();
    return true;
}

void SimMouse::queueData(std::span<const std::uint8_t> bytes, std::size_t announced)
{
    std::size_t reports = dataReportCount(announced);
    if (m_fault == SimFault::ShortSend && reports > 0)
        --reports;
    for (std::size_t i = 0; i < reports; ++i) {
        std::vector<std::uint8_t> report(1 + kDataSize, 0);
        for (std::size_t j = 0; j < kDataSize && i * kDataSize + j < bytes.size(); ++j)
            report[1 + j] = bytes[i * kDataSize + j];
        m_dataQueue.push_back(std::move(report));
    }
    if (reports > 0)
        changed();
}

void SimMouse::answerRead(std::uint8_t command, std::uint8_t target, std::uint8_t wrongTarget,
                          std::span<const std::uint8_t> block)
{
    std::vector<std::uint8_t> data(block.begin(), block.end());
    if (m_fault == SimFault::WrongBlock)
        target = wrongTarget;
    // As much as the length byte can announce.
    if (m_fault == SimFault::OversizeReply)
        data.resize(255, 0xEE);
    m_reply = CommandReport{command, target, static_cast<std::uint8_t>(data.size())};
    m_replyScrambled = m_scrambled;
    queueData(data, data.size());
}

void SimMouse::handleCommand(const CommandReport& c)
{
    // Data from an unfinished write is dropped when a new command arrives.
    m_pending.reset();
    const std::uint8_t p1 = c[1];
    const std::uint8_t length = c[2];
    auto startWrite = [&] { m_pending = PendingWrite{c[0], p1, dataReportCount(length), {}}; };
    auto reply = [&](CommandReport r) {
        m_reply = r;
        m_replyScrambled = m_scrambled;
    };

    switch (c[0]) {
    case cmd::kReportRate:
        m_memory.reportRate = p1;
        m_dirty = true;
        break;
    case cmd::kSensorWrite:
        std::copy_n(c.begin() + 1, 4, m_memory.sensor.begin());
        m_dirty = true;
        break;
    case cmd::kSensorRead:
        reply({cmd::kSensorRead, m_memory.sensor[0], m_memory.sensor[1], m_memory.sensor[2], m_memory.sensor[3]});
        break;
    case cmd::kRgbEffect:
        std::copy_n(c.begin() + 1, 3, m_memory.rgbEffect.begin());
        m_dirty = true;
        break;
    case cmd::kColourWrite:
    case cmd::kDpiWrite:
    case cmd::kKeyMatrixWrite:
    case cmd::kMacroWrite: startWrite(); break;
    case cmd::kColourRead:
        if (p1 < 2)
            answerRead(cmd::kColourRead, p1, 9, m_memory.colourBlocks[p1]);
        else if (p1 == 2)
            answerRead(cmd::kColourRead, p1, 9, m_memory.dpiColourBits);
        break;
    case cmd::kMacroRead:
        if (p1 >= 1 && p1 <= 12)
            answerRead(cmd::kMacroRead, p1, 40, m_memory.macros[p1 - 1]);
        break;
    default: break;
    }
    if (m_pending && m_pending->expected == 0)
        m_pending.reset();
}

void SimMouse::finishWrite(const PendingWrite& w)
{
    m_dirty = true;
    auto store = [&](std::uint8_t* target, std::size_t size) {
        std::copy_n(w.data.begin(), std::min(size, w.data.size()), target);
    };
    switch (w.command) {
    case cmd::kColourWrite:
        if (w.target < 2)
            store(m_memory.colourBlocks[w.target].data(), 24);
        else if (w.target == 2)
            store(m_memory.dpiColourBits.data(), 4);
        break;
    case cmd::kDpiWrite:
        m_memory.dpi[0] = w.target;
        store(m_memory.dpi.data() + 1, 8);
        break;
    case cmd::kKeyMatrixWrite:
        if (w.target >= 1 && w.target <= 4)
            store(m_memory.keyMatrices[w.target - 1].data(), 64);
        break;
    case cmd::kMacroWrite:
        if (w.target >= 1 && w.target <= 12)
            store(m_memory.macros[w.target - 1].data(), 128);
        break;
    default: break;
    }
}

bool SimMouse::writeData(std::span<const std::uint8_t> report)
{
    std::lock_guard lock(m_mutex);
    if (!m_plugged || refuseThisReport())
        return false;
    std::array<std::uint8_t, kDataSize> data{};
    if (report.size() > 1)
        std::copy_n(report.begin() + 1, std::min(kDataSize, report.size() - 1), data.begin());
    record(formatTraceLine(TraceKind::DataOut, data));
    if (m_capture)
        m_capture->dataOut(report.subspan(1));
    if (m_pending) {
        m_pending->data.insert(m_pending->data.end(), data.begin(), data.end());
        if (--m_pending->expected == 0) {
            finishWrite(*m_pending);
            m_pending.reset();
            exchangeDone();
        }
    }
    countHostReport();
    return true;
}

int SimMouse::popQueue(std::deque<std::vector<std::uint8_t>>& queue, std::span<std::uint8_t> buffer, int timeoutMs)
{
    std::unique_lock lock(m_mutex);
    auto ready = [&] { return !m_plugged || !queue.empty(); };
    if (timeoutMs < 0)
        m_wake.wait(lock, ready);
    else
        m_wake.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
    if (!m_plugged)
        return -1;
    if (queue.empty())
        return 0;
    std::vector<std::uint8_t> report = std::move(queue.front());
    queue.pop_front();
    // Waiters woke once for the whole queue; tell them there is more.
    if (!queue.empty())
        changed();
    const std::size_t n = std::min(report.size(), buffer.size());
    std::fill(buffer.begin(), buffer.end(), 0);
    std::copy_n(report.begin(), n, buffer.begin());
    const auto kind = &queue == &m_noteQueue ? TraceKind::Note : TraceKind::DataIn;
    if (m_capture && kind == TraceKind::DataIn)
        m_capture->dataIn(std::span<const std::uint8_t>(report).subspan(1));
    record(formatTraceLine(kind, kind == TraceKind::Note ? std::span<const std::uint8_t>(report)
                                                         : std::span<const std::uint8_t>(report).subspan(1)));
    // The reader thread's notifications come when they come; the replies
    // and data of read-backs are counted, so a test can pull the mouse out
    // half-way through one.
    if (kind == TraceKind::DataIn)
        countHostReport();
    return static_cast<int>(n);
}

int SimMouse::readData(std::span<std::uint8_t> buffer, int timeoutMs)
{
    return popQueue(m_dataQueue, buffer, timeoutMs);
}

int SimMouse::readNotification(std::span<std::uint8_t> buffer, int timeoutMs)
{
    return popQueue(m_noteQueue, buffer, timeoutMs);
}

} // namespace varcel
