// USB captures as people make them: usbmon through Wireshark or tcpdump on
// Linux (pcap or pcapng, link types 189 and 220) and USBPcap on Windows (link
// type 249). Only what the mouse's link needs is taken out: the feature-report
// control transfers of report ID 0 and the device descriptors that say which
// device is which.
#pragma once

#include "platform/failure.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

namespace varcel {

// A device on the bus; the same in every capture format.
struct CaptureDevice {
    std::uint16_t bus = 0;
    std::uint16_t address = 0;
    bool operator==(const CaptureDevice&) const = default;
};

// One SET_REPORT or GET_REPORT of a feature report with report ID 0: the
// first eight bytes as they went over the wire.
struct CaptureFeatureReport {
    CaptureDevice device;
    std::uint16_t interface = 0;
    bool fromDevice = false; // GET_REPORT's answer; false: SET_REPORT
    bool answered = true;    // GET_REPORT: the device sent the bytes (no stall, no error)
    std::array<std::uint8_t, 8> bytes{};
};

class CaptureSink {
public:
    virtual ~CaptureSink() = default;
    virtual void featureReport(const CaptureFeatureReport& report) = 0;
    // A device descriptor the capture holds (the device was plugged in or
    // enumerated while it ran).
    virtual void deviceIdentity(const CaptureDevice& device, std::uint16_t vendorId, std::uint16_t productId) = 0;
};

struct CaptureReadResult {
    Problem problem; // nothing when the whole file was read
    int linkType = -1;
    std::uint64_t packets = 0;
};

// Reads the capture front to back, in constant memory.
CaptureReadResult readCapture(const std::filesystem::path& path, CaptureSink& sink);
// The same from an open file (a fuzzer's bytes through fmemopen); the file
// is closed.
CaptureReadResult readCapture(std::FILE* file, CaptureSink& sink);

// Link types the reader takes.
inline constexpr int kLinkTypeUsbLinux = 189;
inline constexpr int kLinkTypeUsbLinuxMmapped = 220;
inline constexpr int kLinkTypeUsbPcap = 249;

} // namespace varcel
