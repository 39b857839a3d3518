// Learning the mouse's link constants from a capture of it being configured
// by a program that already talks to it. What is known of the scrambled
// reports is enough: the handshake probe, the command bytes, the zeros the
// commands carry in fixed places, and every command's checksum.
#pragma once

#include "device/capture_reader.h"
#include "device/link_constants.h"

#include <cstddef>
#include <map>
#include <memory>
#include <string>

namespace varcel {

struct LinkLearnResult {
    // By how far learning got: of a capture's devices, the one that got
    // furthest tells.
    enum class Outcome {
        NoMouseReports, // no feature reports of report ID 0 from a device that may be the mouse
        OnlyPlain,      // the mouse's reports are all plain (or unanswered)
        NotSolved,      // nothing explains the scrambled reports: not this mouse
        TooFew,         // scrambled reports, but too few kinds to tell the constants
        Learned,
    };
    Outcome outcome = Outcome::NoMouseReports;
    LinkConstants constants;
    std::size_t agreeing = 0;     // scrambled reports that the constants read as the mouse's commands and replies
    std::size_t scrambled = 0;    // scrambled reports of the device chosen
    std::size_t plain = 0;        // its plain reports
    std::size_t otherDevices = 0; // devices the capture names that are not the mouse
    std::string device;           // "bus 1, device 5, interface 1"
};

// Takes a capture's reports as they are read, in constant memory per kind of
// report, and solves for the constants at the end.
class LinkLearner : public CaptureSink {
public:
    LinkLearner();
    ~LinkLearner() override;
    void featureReport(const CaptureFeatureReport& report) override;
    void deviceIdentity(const CaptureDevice& device, std::uint16_t vendorId, std::uint16_t productId) override;
    LinkLearnResult solve() const;

private:
    struct Stream;
    std::map<std::uint64_t, std::unique_ptr<Stream>> m_streams;
    std::map<std::uint32_t, std::uint32_t> m_identities; // device -> vendor:product
};

// Reads the capture and solves; `problem` is set when the file could not be read.
LinkLearnResult learnLinkFromCapture(const std::filesystem::path& path, Problem& problem);

} // namespace varcel
