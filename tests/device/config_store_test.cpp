#include "device/config_store.h"
#include "platform/reporter.h"
#include "support/config_bytes.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace varcel {
namespace {

using test::patternedFile;
using test::TempDir;
using test::writeBytes;

TEST(ConfigStore, LoadsOnlyAFileOfExactlyTheRightSize)
{
    for (std::size_t size : {kConfigFileSize - 1, kConfigFileSize + 1, std::size_t{0}}) {
        TempDir dir;
        auto bytes = patternedFile(1);
        bytes.resize(size, 0xAB);
        writeBytes(dir / "config.bin", bytes);
        RecordingReporter reporter;
        ConfigStore store(dir.path(), reporter);
        EXPECT_FALSE(store.load()) << size;
        EXPECT_EQ(store.working(), ConfigImage{}) << size;
        EXPECT_EQ(store.firstRunFlag(), 0) << size;
        EXPECT_TRUE(reporter.messages.empty()) << "a wrong size is ignored without a message";
    }

    TempDir dir;
    const auto bytes = patternedFile(0);
    writeBytes(dir / "config.bin", bytes);
    RecordingReporter reporter;
    ConfigStore store(dir.path(), reporter);
    ASSERT_TRUE(store.load());
    EXPECT_EQ(store.firstRunFlag(), 0);
    EXPECT_TRUE(std::equal(store.working().begin(), store.working().end(), bytes.begin() + 1));
}

TEST(ConfigStore, CancelRestoresTheLastLoadOrApplyExactly)
{
    TempDir dir;
    writeBytes(dir / "config.bin", patternedFile(1));
    RecordingReporter reporter;
    ConfigStore store(dir.path(), reporter);
    ASSERT_TRUE(store.load());
    store.copyWorkingToSnapshot();
    const ConfigImage loaded = store.working();

    for (std::size_t offset : {std::size_t{0}, img::kUnused780, img::kUnused786, img::kUnused793 + 7, img::kUnused7A2,
                               img::kRgbParam2, kImageSize - 1})
        store.working()[offset] ^= 0xFF;
    store.copySnapshotToWorking();
    EXPECT_EQ(store.working(), loaded);

    // After an apply the snapshot follows the working image.
    store.working()[img::kReportRate] = 8;
    store.copyWorkingToSnapshot();
    store.working()[img::kReportRate] = 2;
    store.copySnapshotToWorking();
    EXPECT_EQ(store.working()[img::kReportRate], 8);
}

} // namespace
} // namespace varcel
