#include "control/workspace.h"
#include "device/config_store.h"
#include "platform/reporter.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <numeric>

namespace varcel {
namespace {

using test::readBytes;
using test::TempDir;
using test::writeBytes;

std::vector<std::uint8_t> patternedFile(std::uint8_t flag)
{
    std::vector<std::uint8_t> bytes(kConfigFileSize);
    std::iota(bytes.begin(), bytes.end(), std::uint8_t{7});
    bytes[0] = flag;
    return bytes;
}

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

TEST(ConfigStore, MissingFileIsReportedAndNeverCreated)
{
    TempDir dir;
    RecordingReporter reporter;
    Workspace workspace(dir.path(), reporter, Language::English);
    EXPECT_TRUE(workspace.loadConfig());
    EXPECT_EQ(reporter.messages, (std::vector<RecordingReporter::Message>{{"Config file is not exist.", kAppTitle}}));
    workspace.config().working()[5] = 42;
    const Problem saved = workspace.save(kSaveConfig);
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->code, FailureCode::ConfigMissing);
    EXPECT_FALSE(std::filesystem::exists(dir / "config.bin"));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << "no temporary file left behind";
}

TEST(ConfigStore, SaveWritesFlagOneAndKeepsEveryByteIncludingUnusedOnes)
{
    TempDir dir;
    const auto original = patternedFile(0);
    writeBytes(dir / "config.bin", original);
    RecordingReporter reporter;
    Workspace workspace(dir.path(), reporter, Language::English);
    ASSERT_FALSE(workspace.loadConfig());
    ASSERT_FALSE(workspace.save(kSaveConfig));

    auto expected = original;
    expected[0] = 1;
    EXPECT_EQ(readBytes(dir / "config.bin"), expected);

    ASSERT_FALSE(workspace.save(kSaveConfig));
    EXPECT_EQ(readBytes(dir / "config.bin"), expected) << "saving twice gives the same file";
    EXPECT_TRUE(reporter.messages.empty());
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

TEST(ConfigStore, SaveInterruptedBeforeTheRenameLeavesTheOldFile)
{
    TempDir dir;
    const auto original = patternedFile(1);
    writeBytes(dir / "config.bin", original);
    RecordingReporter reporter;
    Workspace workspace(dir.path(), reporter, Language::English);
    ASSERT_FALSE(workspace.loadConfig());
    workspace.config().working().fill(0x55);
    workspace.afterSaveStep = [](int) { return false; }; // killed after the new file was written
    const Problem saved = workspace.save(kSaveConfig);
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->code, FailureCode::FileNotWritten);
    EXPECT_EQ(readBytes(dir / "config.bin"), original);
    // The next program to take the folder removes what the killed save left.
    Workspace next(dir.path(), reporter, Language::English);
    ASSERT_FALSE(next.lock());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1)
        << "the temporary file is removed";
}

// Another program's change is never saved over (config.bin alone, as
// `macro confirm` saves it, too). "Keep my changes" then keeps each setting
// edited here as a whole, and every other one takes the file's: another
// button of the same layer, another loop colour.
TEST(ConfigStore, OutsideChangesAreNeverSavedOverAndEditsAreKeptUnitByUnit)
{
    using namespace img;
    const struct Row {
        std::size_t edited;  // here, not saved
        std::size_t outside; // by another program, in the file
        bool outsideKept;
    } rows[] = {
        {at(Layer::A, LayerArray::Kind, 2), at(Layer::A, LayerArray::Kind, 4), true},
        {at(Layer::B, LayerArray::Kind, 2), at(Layer::B, LayerArray::MediaCode, 2), false},
        {kLoopColours, kLoopColours + 3, true},
        {kLoopColours, kLoopColours + 2, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.edited) + " " + std::to_string(row.outside));
        TempDir dir;
        const auto before = patternedFile(1);
        writeBytes(dir / "config.bin", before);
        RecordingReporter reporter;
        Workspace workspace(dir.path(), reporter, Language::English);
        ASSERT_FALSE(workspace.loadConfig());
        const std::uint8_t edited = workspace.config().working()[row.edited] ^= 0xFF;
        auto file = before;
        file[1 + row.outside] ^= 0x0F;
        writeBytes(dir / "config.new", file);
        std::filesystem::rename(dir / "config.new", dir / "config.bin");

        const Problem saved = workspace.save(kSaveConfig);
        ASSERT_TRUE(saved);
        EXPECT_EQ(saved->code, FailureCode::FileChangedOnDisk);
        EXPECT_EQ(readBytes(dir / "config.bin"), file);
        ASSERT_FALSE(workspace.takeChangedFiles(true));
        EXPECT_EQ(workspace.config().working()[row.edited], edited);
        EXPECT_EQ(workspace.config().working()[row.outside], (row.outsideKept ? file : before)[1 + row.outside]);
    }
}

} // namespace
} // namespace varcel
