// The small HID interface every backend offers: the real hidraw one and the
// simulated mouse.
//
// The report-ID rule, stated once for every buffer that crosses this
// interface: byte 0 is the report ID, 0 when the device does not number its
// reports, and the report's data follows from byte 1. Backends add or strip
// that byte where the operating system differs (hidraw hands unnumbered input
// reports over without it), so callers always see the same shape.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace varcel {

// One top-level collection of a HID device. Report lengths count the
// report-ID byte, so a device sending 8 feature bytes has a feature length of 9.
struct HidInterfaceInfo {
    std::string path;          // what open() takes; several collections may share one path
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t usagePage = 0;
    std::uint16_t usage = 0;
    std::uint16_t featureLength = 0;
    std::uint16_t inputLength = 0;
    std::uint16_t outputLength = 0;
};

enum class HidAccess { Read, Write, ReadWrite };

class HidHandle {
public:
    virtual ~HidHandle() = default;
    // Feature reports; buffer byte 0 is the report ID. Both return false on failure.
    virtual bool setFeature(std::span<const std::uint8_t> report) = 0;
    virtual bool getFeature(std::span<std::uint8_t> report) = 0;
    // Output report; returns false on failure.
    virtual bool write(std::span<const std::uint8_t> report) = 0;
    // One input report into buffer, waiting at most timeoutMs (negative: no
    // limit). Returns the bytes stored (report ID included), 0 on time-out,
    // -1 when the device is gone or failed.
    virtual int read(std::span<std::uint8_t> buffer, int timeoutMs) = 0;
    // A descriptor that polls readable when read() has something (an input
    // report, or an error such as removal), or -1 when the handle cannot be
    // waited on.
    virtual int pollFd() const = 0;
    // The errno of the last call that failed (EIO, ENODEV for a mouse pulled
    // out, EPIPE for a refused report), or 0 where the handle gives none.
    virtual int lastError() const { return 0; }
};

class HidBackend {
public:
    virtual ~HidBackend() = default;
    // Every HID collection present, in the system's enumeration order.
    virtual std::vector<HidInterfaceInfo> enumerate() = 0;
    // nullptr when the device cannot be opened.
    virtual std::unique_ptr<HidHandle> open(const std::string& path, HidAccess access) = 0;
};

} // namespace varcel
