#include "control/workspace.h"
#include "device/config_store.h"
#include "platform/reporter.h"
#include "support/config_bytes.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace varcel {
namespace {

using test::patternedFile;
using test::readBytes;
using test::TempDir;
using test::writeBytes;

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
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << "the temporary file is removed";
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
