// A data folder for the settings' tests: config.bin with DPI stage 1 alone
// enabled, report rate 250, the standard mode and no loop colours, and
// varcelctl run on it as a user runs it.
#pragma once

#include "device/config_store.h"
#include "support/cli_run.h"

#include <gtest/gtest.h>

namespace varcel::test {

inline constexpr std::size_t kFile = 1; // the image starts after the first-run flag

class SettingsFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::vector<std::uint8_t> bytes(kConfigFileSize, 0);
        bytes[0] = 1;
        bytes[kFile + 0x785] = 4;
        bytes[kFile + 0x78B] = 1;
        bytes[kFile + 0x79B] = 1;
        writeBytes(dir / "config.bin", bytes);
    }
    CliRun run(const std::string& args) { return runVarcelctl(VARCELCTL_PATH, dir.path(), args); }
    std::vector<std::uint8_t> config() { return readBytes(dir / "config.bin"); }

    TempDir dir;
};

} // namespace varcel::test
