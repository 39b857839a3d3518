// What the simulated mouse sends and receives, written as the Linux kernel's
// usbmon logs it (pcap, link type 220): the same file a user makes of a real
// mouse with Wireshark or tcpdump, so the whole path from a capture to learned
// link constants can be played without the hardware.
#pragma once

#include "platform/failure.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <span>
#include <string>

namespace varcel {

class UsbmonCaptureWriter {
public:
    // Starts the file with the mouse's device descriptor, as when it is
    // plugged in while the capture runs.
    explicit UsbmonCaptureWriter(const std::filesystem::path& path);
    ~UsbmonCaptureWriter();
    UsbmonCaptureWriter(const UsbmonCaptureWriter&) = delete;
    UsbmonCaptureWriter& operator=(const UsbmonCaptureWriter&) = delete;

    bool ok() const { return m_file && !m_failed; }
    // Why the capture could not be started.
    const Problem& problem() const { return m_problem; }

    // Report bytes without the report-ID byte, as they go over the wire.
    void setFeature(std::span<const std::uint8_t> wire) { feature(false, wire); }
    void getFeature(std::span<const std::uint8_t> wire) { feature(true, wire); }
    void dataOut(std::span<const std::uint8_t> wire);
    void dataIn(std::span<const std::uint8_t> wire);

private:
    void feature(bool in, std::span<const std::uint8_t> wire);
    // A request and its completion; `setup` for a control transfer only.
    void transfer(std::uint8_t transferType, std::uint8_t endpoint, const std::uint8_t* setup,
                  std::span<const std::uint8_t> data);
    void packet(char type, std::uint8_t transferType, std::uint8_t endpoint, const std::uint8_t* setup,
                std::span<const std::uint8_t> data, std::uint32_t urbLength);

    std::FILE* m_file = nullptr;
    bool m_failed = false;
    Problem m_problem;
    std::uint64_t m_urb = 0x1000;
};

} // namespace varcel
