// A config.bin whose bytes all differ from their neighbours, so that a byte
// moved, lost or made up shows.
#pragma once

#include "device/config_store.h"

#include <cstdint>
#include <numeric>
#include <vector>

namespace varcel::test {

inline std::vector<std::uint8_t> patternedFile(std::uint8_t flag)
{
    std::vector<std::uint8_t> bytes(kConfigFileSize);
    std::iota(bytes.begin(), bytes.end(), std::uint8_t{7});
    bytes[0] = flag;
    return bytes;
}

} // namespace varcel::test
