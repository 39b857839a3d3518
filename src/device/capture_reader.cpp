#include "device/capture_reader.h"

#include "platform/shared_library.h"

#include <pcap/pcap.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <unordered_map>

namespace varcel {

namespace {

// Requests the reader follows (USB 2.0 chapter 9, HID 1.11 chapter 7).
constexpr std::uint8_t kHostToInterface = 0x21; // class request to an interface
constexpr std::uint8_t kInterfaceToHost = 0xA1;
constexpr std::uint8_t kStandardToHost = 0x80;
constexpr std::uint8_t kSetReport = 0x09;
constexpr std::uint8_t kGetReport = 0x01;
constexpr std::uint8_t kGetDescriptor = 0x06;
constexpr std::uint16_t kFeatureReportId0 = 0x0300; // report type 3 (feature), report ID 0
constexpr std::uint16_t kDeviceDescriptor = 0x0100;
constexpr std::size_t kSetupSize = 8;
// Requests whose answer has not come yet; a capture cut short or full of
// unanswered requests must not make this grow without end.
constexpr std::size_t kPendingLimit = 4096;

std::uint16_t le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t le32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
std::uint64_t le64(const std::uint8_t* p) { return le32(p) | static_cast<std::uint64_t>(le32(p + 4)) << 32; }

template <typename T>
T native(const std::uint8_t* p)
{
    T value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

struct Setup {
    std::uint8_t requestType = 0;
    std::uint8_t request = 0;
    std::uint16_t value = 0;
    std::uint16_t index = 0;

    static Setup from(const std::uint8_t* p) { return {p[0], p[1], le16(p + 2), le16(p + 4)}; }
    bool setFeature() const
    {
        return requestType == kHostToInterface && request == kSetReport && value == kFeatureReportId0;
    }
    bool getFeature() const
    {
        return requestType == kInterfaceToHost && request == kGetReport && value == kFeatureReportId0;
    }
    bool deviceDescriptor() const
    {
        return requestType == kStandardToHost && request == kGetDescriptor && value == kDeviceDescriptor;
    }
    bool wanted() const { return setFeature() || getFeature() || deviceDescriptor(); }
};

struct Pending {
    CaptureDevice device;
    Setup setup;
};

// Follows control transfers from their request to their answer, whatever
// the format says about each.
class Transfers {
public:
    explicit Transfers(CaptureSink& sink) : m_sink(sink) {}

    void request(std::uint64_t id, const CaptureDevice& device, const Setup& setup, const std::uint8_t* data,
                 std::size_t size)
    {
        if (!setup.wanted())
            return;
        if (setup.setFeature() && size >= 8) {
            feature(device, setup, false, true, data);
            return;
        }
        if (m_pending.size() >= kPendingLimit)
            m_pending.clear();
        m_pending[id] = Pending{device, setup};
    }

    // Host-to-device data logged apart from its request (USBPcap's data stage).
    void outData(std::uint64_t id, const std::uint8_t* data, std::size_t size)
    {
        const auto found = m_pending.find(id);
        if (found == m_pending.end())
            return;
        if (found->second.setup.setFeature() && size >= 8)
            feature(found->second.device, found->second.setup, false, true, data);
        m_pending.erase(found);
    }

    void answer(std::uint64_t id, bool ok, const std::uint8_t* data, std::size_t size)
    {
        const auto found = m_pending.find(id);
        if (found == m_pending.end())
            return;
        const Pending pending = found->second;
        m_pending.erase(found);
        if (pending.setup.getFeature())
            feature(pending.device, pending.setup, true, ok && size >= 8, data);
        else if (pending.setup.deviceDescriptor() && ok && size >= 12)
            m_sink.deviceIdentity(pending.device, le16(data + 8), le16(data + 10));
    }

private:
    // A feature report's 8 bytes, when it carries them.
    void feature(const CaptureDevice& device, const Setup& setup, bool fromDevice, bool answered,
                 const std::uint8_t* data)
    {
        CaptureFeatureReport report{device, setup.index, fromDevice, answered};
        if (answered)
            std::memcpy(report.bytes.data(), data, 8);
        m_sink.featureReport(report);
    }

    CaptureSink& m_sink;
    std::unordered_map<std::uint64_t, Pending> m_pending;
};

// usbmon's header, in the byte order of the machine that made the capture
// (libpcap turns it into ours): 48 bytes, 64 in the memory-mapped form.
void usbmonPacket(Transfers& transfers, const std::uint8_t* p, std::size_t size, std::size_t headerSize)
{
    if (size < headerSize)
        return;
    constexpr std::uint8_t kControl = 2;
    const auto id = native<std::uint64_t>(p);
    const char type = static_cast<char>(p[8]);
    if (p[9] != kControl)
        return;
    const CaptureDevice device{native<std::uint16_t>(p + 12), p[11]};
    const bool setupPresent = p[14] == 0;
    const auto status = native<std::int32_t>(p + 28);
    const std::size_t captured = std::min<std::size_t>(native<std::uint32_t>(p + 36), size - headerSize);
    const std::uint8_t* data = p + headerSize;
    if (type == 'S' && setupPresent)
        transfers.request(id, device, Setup::from(p + 40), data, captured);
    else if (type == 'C' || type == 'E')
        transfers.answer(id, type == 'C' && status == 0, data, captured);
}

// USBPcap's header, always little-endian: its length comes first, and
// control transfers add the stage byte.
void usbpcapPacket(Transfers& transfers, const std::uint8_t* p, std::size_t size)
{
    constexpr std::size_t kControlHeader = 28;
    constexpr std::uint8_t kControl = 2;
    constexpr std::uint8_t kStageSetup = 0;
    constexpr std::uint8_t kStageData = 1;
    constexpr std::uint8_t kStageComplete = 3;
    if (size < kControlHeader)
        return;
    const std::size_t headerSize = le16(p);
    if (headerSize < kControlHeader || headerSize > size || p[22] != kControl)
        return;
    const std::uint64_t id = le64(p + 2);
    const bool ok = le32(p + 10) == 0;
    const bool fromDevice = p[16] & 1;
    const CaptureDevice device{le16(p + 17), le16(p + 19)};
    const std::size_t length = std::min<std::size_t>(le32(p + 23), size - headerSize);
    const std::uint8_t stage = p[27];
    const std::uint8_t* data = p + headerSize;
    if (stage == kStageSetup && !fromDevice && length >= kSetupSize)
        transfers.request(id, device, Setup::from(data), data + kSetupSize, length - kSetupSize);
    else if (stage == kStageData && !fromDevice)
        transfers.outData(id, data, length);
    else if ((stage == kStageData || stage == kStageComplete) && fromDevice)
        transfers.answer(id, ok, data, length);
}

// libpcap, opened at the first capture read (see shared_library.h); its
// types come from its header, its functions from the library.
struct Pcap {
    Pcap()
    {
        missing = loadFunctions("libpcap.so.0.8", std::pair{&fopenOffline, "pcap_fopen_offline"},
                                std::pair{&close, "pcap_close"}, std::pair{&datalink, "pcap_datalink"},
                                std::pair{&nextEx, "pcap_next_ex"}, std::pair{&geterr, "pcap_geterr"});
    }
    decltype(&pcap_fopen_offline) fopenOffline = nullptr;
    decltype(&pcap_close) close = nullptr;
    decltype(&pcap_datalink) datalink = nullptr;
    decltype(&pcap_next_ex) nextEx = nullptr;
    decltype(&pcap_geterr) geterr = nullptr;
    std::string missing; // empty when every function is there
};

const Pcap& pcap()
{
    static const Pcap loaded;
    return loaded;
}

CaptureReadResult readFrom(pcap_t* handle, CaptureSink& sink)
{
    CaptureReadResult result;
    result.linkType = pcap().datalink(handle);
    std::size_t usbmonHeader = 0;
    if (result.linkType == kLinkTypeUsbLinux)
        usbmonHeader = 48;
    else if (result.linkType == kLinkTypeUsbLinuxMmapped)
        usbmonHeader = 64;
    else if (result.linkType != kLinkTypeUsbPcap) {
        result.problem = Failure{FailureCode::CaptureNotUsb, {}, {}, 0, FileStatus::Ok, result.linkType};
        return result;
    }
    Transfers transfers(sink);
    pcap_pkthdr* header = nullptr;
    const u_char* bytes = nullptr;
    int got = 0;
    while ((got = pcap().nextEx(handle, &header, &bytes)) == 1) {
        ++result.packets;
        if (usbmonHeader)
            usbmonPacket(transfers, bytes, header->caplen, usbmonHeader);
        else
            usbpcapPacket(transfers, bytes, header->caplen);
    }
    // A capture cut short (Wireshark killed, a full disk) still serves up to
    // the cut; only a file that gave nothing at all is an error.
    if (got == PCAP_ERROR && result.packets == 0)
        result.problem = Failure{FailureCode::CaptureUnreadable, {}, pcap().geterr(handle)};
    return result;
}

} // namespace

CaptureReadResult readCapture(std::FILE* file, CaptureSink& sink)
{
    if (!pcap().missing.empty()) {
        std::fclose(file);
        return {Failure{FailureCode::PcapMissing, {}, pcap().missing}};
    }
    char error[PCAP_ERRBUF_SIZE] = {};
    std::unique_ptr<pcap_t, decltype(&pcap_close)> handle(pcap().fopenOffline(file, error), pcap().close);
    if (!handle) {
        std::fclose(file);
        return {Failure{error[0] ? FailureCode::CaptureUnreadable : FailureCode::CaptureNotPcap, {}, error}};
    }
    return readFrom(handle.get(), sink);
}

CaptureReadResult readCapture(const std::filesystem::path& path, CaptureSink& sink)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return {Failure{FailureCode::CaptureUnreadable, path.string(), {}, errno}};
    CaptureReadResult result = readCapture(file, sink);
    if (result.problem)
        result.problem->subject = path.string();
    return result;
}

} // namespace varcel
