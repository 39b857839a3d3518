// Reading a HID report descriptor far enough to tell a device's top-level
// collections apart and to size their reports the way Windows' HidP_GetCaps
// does, which is what discovery chooses the mouse's
// collections by.
//
// A collection's length for one report type is its largest report of that
// type among its report IDs, in whole bytes, plus one byte for the report ID.
// The extra byte counts even when the device does not number its reports, so
// the lengths match the buffers of hid_backend.h's report-ID rule. A type the
// collection has no reports of has length 0.
//
// Pure function over bytes: no I/O, safe on anything a device may hand over.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace varcel {

enum class DescriptorError {
    None,
    Truncated,          // an item runs past the end of the bytes
    UnclosedCollection, // the bytes end inside a collection
    StrayEndCollection, // End Collection with no collection open
    PopWithoutPush,     // Pop with nothing pushed
    TooDeep,            // pushes or nested collections beyond what any device needs
    InvalidReportId,    // report ID 0 or above 255
    ReportTooLong,      // a report longer than hidraw carries
};

const char* descriptorErrorName(DescriptorError error);

struct HidCollectionCaps {
    std::uint16_t usagePage = 0;
    std::uint16_t usage = 0;
    std::uint16_t featureLength = 0;
    std::uint16_t inputLength = 0;
    std::uint16_t outputLength = 0;
    friend bool operator==(const HidCollectionCaps&, const HidCollectionCaps&) = default;
};

struct HidDescriptorInfo {
    // Top-level collections in descriptor order; on an error, those closed before it.
    std::vector<HidCollectionCaps> collections;
    // Some Report ID item appears: the device puts the ID in front of every report.
    bool numberedReports = false;
    DescriptorError error = DescriptorError::None;
    std::size_t errorOffset = 0; // where the item at fault starts, or the end for UnclosedCollection
};

HidDescriptorInfo parseHidDescriptor(std::span<const std::uint8_t> descriptor);

} // namespace varcel
