#include "device/sim/sim_capture.h"

#include "device/protocol.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <vector>

namespace varcel {

namespace {

constexpr std::uint32_t kLinkTypeUsbmonMmapped = 220;
constexpr std::size_t kHeaderSize = 64;
constexpr std::uint8_t kBus = 1;
constexpr std::uint8_t kDeviceAddress = 5;
// The mouse's command collection is its second interface; its data reports
// use that interface's interrupt endpoints.
constexpr std::uint8_t kCommandInterface = 1;
constexpr std::uint8_t kDataOutEndpoint = 0x02;
constexpr std::uint8_t kDataInEndpoint = 0x82;
constexpr std::uint8_t kControl = 2;
constexpr std::uint8_t kInterrupt = 1;

template <typename T>
void put(std::vector<std::uint8_t>& out, std::size_t at, T value)
{
    std::memcpy(out.data() + at, &value, sizeof value);
}

} // namespace

UsbmonCaptureWriter::UsbmonCaptureWriter(const std::filesystem::path& path) : m_file(std::fopen(path.c_str(), "wb"))
{
    if (!m_file) {
        m_problem = Failure{FailureCode::CaptureNotWritten, path.string(), {}, errno};
        return;
    }
    // The pcap file header, in our byte order (the magic number says which).
    std::vector<std::uint8_t> header(24);
    put<std::uint32_t>(header, 0, 0xA1B2C3D4);
    put<std::uint16_t>(header, 4, 2);
    put<std::uint16_t>(header, 6, 4);
    put<std::uint32_t>(header, 16, 65535);
    put<std::uint32_t>(header, 20, kLinkTypeUsbmonMmapped);
    if (std::fwrite(header.data(), 1, header.size(), m_file) != header.size()) {
        m_failed = true;
        m_problem = Failure{FailureCode::CaptureNotWritten, path.string(), {}, errno};
    }
    // GET_DESCRIPTOR (device), answered with the mouse's identity.
    const std::uint8_t setup[8] = {0x80, 0x06, 0x00, 0x01, 0x00, 0x00, 18, 0};
    const std::uint8_t descriptor[18] = {
        18,   1,    0x00, 0x02, 0, 0, 0, 8, kVendorId & 0xFF, kVendorId >> 8, kProductId & 0xFF, kProductId >> 8,
        0x00, 0x01, 1,    2,    0, 1};
    transfer(kControl, 0x80, setup, descriptor);
}

UsbmonCaptureWriter::~UsbmonCaptureWriter()
{
    // Packets are written as they happen and flushed once at the end; a
    // capture cut short still reads up to the cut.
    if (m_file)
        std::fclose(m_file);
}

void UsbmonCaptureWriter::packet(char type, std::uint8_t transferType, std::uint8_t endpoint, const std::uint8_t* setup,
                                 std::span<const std::uint8_t> data, std::uint32_t urbLength)
{
    if (!m_file || m_failed)
        return;
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(now).count();
    std::vector<std::uint8_t> record(16 + kHeaderSize + data.size(), 0);
    put<std::uint32_t>(record, 0, static_cast<std::uint32_t>(micros / 1000000));
    put<std::uint32_t>(record, 4, static_cast<std::uint32_t>(micros % 1000000));
    put<std::uint32_t>(record, 8, static_cast<std::uint32_t>(kHeaderSize + data.size()));
    put<std::uint32_t>(record, 12, static_cast<std::uint32_t>(kHeaderSize + data.size()));
    const std::size_t h = 16;
    put<std::uint64_t>(record, h + 0, m_urb);
    record[h + 8] = static_cast<std::uint8_t>(type);
    record[h + 9] = transferType;
    record[h + 10] = endpoint;
    record[h + 11] = kDeviceAddress;
    put<std::uint16_t>(record, h + 12, kBus);
    record[h + 14] = setup ? 0 : '-';
    record[h + 15] = data.empty() ? (endpoint & 0x80 ? '<' : '>') : 0;
    put<std::int64_t>(record, h + 16, micros / 1000000);
    put<std::int32_t>(record, h + 24, static_cast<std::int32_t>(micros % 1000000));
    put<std::int32_t>(record, h + 28, type == 'S' ? -115 : 0); // -EINPROGRESS until completed
    put<std::uint32_t>(record, h + 32, urbLength);
    put<std::uint32_t>(record, h + 36, static_cast<std::uint32_t>(data.size()));
    if (setup)
        std::memcpy(record.data() + h + 40, setup, 8);
    std::copy(data.begin(), data.end(), record.begin() + static_cast<std::ptrdiff_t>(h + kHeaderSize));
    if (std::fwrite(record.data(), 1, record.size(), m_file) != record.size())
        m_failed = true;
}

void UsbmonCaptureWriter::transfer(std::uint8_t transferType, std::uint8_t endpoint, const std::uint8_t* setup,
                                   std::span<const std::uint8_t> data)
{
    // The data goes with the request on its way out, with the completion on its way in.
    const bool in = endpoint & 0x80;
    const auto length = static_cast<std::uint32_t>(data.size());
    packet('S', transferType, endpoint, setup, in ? std::span<const std::uint8_t>() : data, length);
    packet('C', transferType, endpoint, nullptr, in ? data : std::span<const std::uint8_t>(), length);
    ++m_urb;
}

void UsbmonCaptureWriter::feature(bool in, std::span<const std::uint8_t> wire)
{
    // GET_REPORT or SET_REPORT, feature report ID 0, to the command interface.
    const std::uint8_t requestType = in ? 0xA1 : 0x21;
    const std::uint8_t request = in ? 0x01 : 0x09;
    const std::uint8_t setup[8] = {
        requestType, request, 0x00, 0x03, kCommandInterface, 0, static_cast<std::uint8_t>(wire.size()), 0};
    transfer(kControl, in ? 0x80 : 0x00, setup, wire);
}

void UsbmonCaptureWriter::dataOut(std::span<const std::uint8_t> wire)
{
    transfer(kInterrupt, kDataOutEndpoint, nullptr, wire);
}
void UsbmonCaptureWriter::dataIn(std::span<const std::uint8_t> wire)
{
    transfer(kInterrupt, kDataInEndpoint, nullptr, wire);
}

} // namespace varcel
