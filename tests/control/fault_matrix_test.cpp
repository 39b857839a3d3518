// The fault matrix: the simulated mouse misbehaving in every way it can,
// through the whole apply of OK/Apply. For each: no hang, nothing written
// outside a block, nothing made up sent to the mouse, config.bin the old file
// or the new one, the user told, and the link back once the mouse is plugged
// in again and behaves.
#include "control/workspace.h"
#include "device/device_session.h"
#include "device/sim/sim_backend.h"
#include "device/sim/sim_hotplug.h"
#include "device/sim/sim_mouse.h"
#include "lang/failure_texts.h"
#include "platform/reporter.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <numeric>
#include <poll.h>
#include <thread>

namespace varcel {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

struct CountingStatus : StatusSink {
    void deviceStatus(StatusCode code, int) override
    {
        std::lock_guard lock(mutex);
        codes.push_back(code);
    }
    std::size_t count(StatusCode code)
    {
        std::lock_guard lock(mutex);
        return static_cast<std::size_t>(std::count(codes.begin(), codes.end(), code));
    }
    std::mutex mutex;
    std::vector<StatusCode> codes;
};

// What the mouse holds before each run: a colour block 1 of its own, macros
// of 0x33, a sensor record.
SimMemory mouseBefore()
{
    SimMemory memory;
    std::iota(memory.colourBlocks[1].begin(), memory.colourBlocks[1].end(), std::uint8_t{11});
    for (auto& macro : memory.macros)
        macro.fill(0x33);
    memory.sensor = {1, 0x11, 0x22, 0x01};
    return memory;
}

// The image being applied: every macro block 0x5A, a report rate of 250 Hz.
ConfigImage imageToApply()
{
    ConfigImage image{};
    image[img::kReportRate] = 4;
    for (std::size_t n = 1; n <= kMacroCount; ++n)
        std::fill_n(image.begin() + img::macroBlock(n), kMacroBlockSize, 0x5A);
    return image;
}

struct Setting {
    Setting()
    {
        test::writeBytes(dir / "config.bin", oldFile);
        mouse.setMemory(mouseBefore());
        session.link().setPause([](auto) {});
        session.link().setDataTimeout(100ms);
    }
    void replug()
    {
        mouse.setFault(SimFault::None);
        if (!mouse.plugged()) {
            mouse.plug();
        } else {
            mouse.unplug();
            mouse.plug();
        }
        pollfd p{hotplug.fd(), POLLIN, 0};
        ASSERT_EQ(::poll(&p, 1, 1000), 1);
        session.handleHotplug(hotplug.drain());
    }
    test::TempDir dir;
    const Bytes oldFile = Bytes(kConfigFileSize, 0x44);
    Bytes fileAfterFirst;
    std::size_t sentByApply = 0;   // reports the first apply sent or read
    bool labelsAfterFirst = false; // str.ini was there after the first apply
    SimMouse mouse;
    SimBackend backend{mouse};
    SimHotplug hotplug{mouse};
    RecordingReporter reporter;
    CountingStatus status;
    DeviceSession session{backend, reporter, status};
};

// What must hold after any run, whatever went wrong.
void expectNothingMadeUp(Setting& run, const ConfigImage& image)
{
    const SimMemory after = run.mouse.memory();
    const SimMemory before = mouseBefore();
    // Block 1 is only ever the mouse's own bytes, and the sensor record the
    // mouse's own, with bit 6 of option 2 at most.
    EXPECT_EQ(after.colourBlocks[1], before.colourBlocks[1]);
    EXPECT_EQ(Bytes(after.sensor.begin(), after.sensor.begin() + 3),
              Bytes(before.sensor.begin(), before.sensor.begin() + 3));
    EXPECT_EQ(after.sensor[3] & ~0x40, before.sensor[3]);
    // Every macro block is the old one or the new one.
    for (std::size_t n = 0; n < kMacroCount; ++n)
        EXPECT_TRUE(after.macros[n] == before.macros[n] ||
                    std::equal(after.macros[n].begin(), after.macros[n].end(), image.begin() + img::macroBlock(n + 1)))
            << "macro " << n + 1;
    // The program's mirror holds the image's macros or what came back whole
    // (or nothing yet, when no apply ran).
    const DeviceMirror& mirror = run.session.commands().mirror();
    for (std::size_t n = 0; n < kMacroCount; ++n)
        EXPECT_TRUE(
            std::all_of(mirror.macros[n].begin(), mirror.macros[n].end(),
                        [](std::uint8_t b) { return b == 0x5A || b == 0x33; }) ||
            std::all_of(mirror.macros[n].begin(), mirror.macros[n].end(), [](std::uint8_t b) { return b == 0; }))
            << "macro copy " << n + 1;
    // config.bin is whole: the old file or the new one.
    const Bytes file = test::readBytes(run.dir / "config.bin");
    ASSERT_EQ(file.size(), kConfigFileSize);
    Bytes fresh(kConfigFileSize);
    fresh[0] = 1;
    std::copy(image.begin(), image.end(), fresh.begin() + 1);
    EXPECT_TRUE(file == run.oldFile || file == fresh);
}

// Connects, applies with `fault` set after the sensor exchange, checks, then
// brings the mouse back and applies again. Returns the first outcome.
ApplyReport applyWith(Setting& run, SimFault fault, int count = 0)
{
    Workspace workspace(run.dir.path(), run.reporter, Language::English);
    EXPECT_FALSE(workspace.loadConfig());
    workspace.config().working() = imageToApply();
    const bool handshakeFault = fault == SimFault::AnswerNothing || fault == SimFault::AnswerPlain;
    if (handshakeFault)
        run.mouse.setFault(fault, count);
    run.session.start();
    if (run.session.ready())
        run.session.commands().exchangeSensorRecord();
    if (!handshakeFault)
        run.mouse.setFault(fault, count);

    const std::size_t logged = run.mouse.log().size();
    const auto start = std::chrono::steady_clock::now();
    const ApplyReport outcome = workspace.apply(run.session);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s) << "no hang";
    run.sentByApply = run.mouse.log().size() - logged;
    expectNothingMadeUp(run, workspace.config().working());
    run.fileAfterFirst = test::readBytes(run.dir / "config.bin");
    run.labelsAfterFirst = std::filesystem::exists(run.dir / "str.ini");

    run.replug();
    EXPECT_TRUE(run.session.ready()) << "the link is back";
    EXPECT_TRUE(workspace.apply(run.session).ok());
    EXPECT_EQ(run.mouse.memory().reportRate, 4);
    return outcome;
}

TEST(FaultMatrix, EveryMisbehaviourIsToldAndNothingMadeUpIsSent)
{
    struct Row {
        SimFault fault;
        bool ran;         // an accepted mouse: the apply ran, config.bin saved
        bool complete;    // everything reached the mouse
        const char* says; // in what the user is told
    };
    // Replies whose checksum byte is wrong are the mouse's own bytes all the
    // same: they are taken, and the apply completes.
    for (const Row& row : {Row{SimFault::None, true, true, ""}, Row{SimFault::AnswerNothing, false, false, ""},
                           Row{SimFault::AnswerPlain, false, false, ""}, Row{SimFault::BadChecksum, true, true, ""},
                           Row{SimFault::OversizeReply, true, false, "announces 255 bytes where the block holds"},
                           Row{SimFault::WrongBlock, true, false, "names block"},
                           Row{SimFault::ShortSend, true, false, "data reports it announced for"},
                           Row{SimFault::RefuseOnce, true, false, "stopped taking requests (was it pulled out?)"}}) {
        SCOPED_TRACE(simFaultName(row.fault));
        Setting run;
        const ApplyReport outcome = applyWith(run, row.fault, 30);
        EXPECT_EQ(outcome.ran, row.ran);
        const std::string told = deviceProblemsText(outcome.device, Language::English);
        EXPECT_EQ(outcome.ok(), row.complete) << told;
        EXPECT_NE(told.find(row.says), std::string::npos) << told;
        if (!row.ran) {
            // Told by the status balloon; nothing sent, nothing saved.
            EXPECT_GE(run.status.count(StatusCode::NotDetected), 1u);
            EXPECT_EQ(run.sentByApply, 0u);
            EXPECT_EQ(run.fileAfterFirst, run.oldFile);
            EXPECT_FALSE(run.labelsAfterFirst) << "the labels are not saved either";
        }
    }
}

TEST(FaultMatrix, AFileThatCannotBeSavedIsToldAfterACompleteApply)
{
    Setting run;
    Workspace workspace(run.dir.path(), run.reporter, Language::English);
    ASSERT_FALSE(workspace.loadConfig());
    workspace.config().working() = imageToApply();
    workspace.afterSaveStep = [](int) { return false; }; // the disk is full
    ASSERT_TRUE(run.session.start());
    const ApplyReport outcome = workspace.apply(run.session);
    EXPECT_TRUE(outcome.device.ok());
    ASSERT_TRUE(outcome.saved);
    EXPECT_EQ(outcome.saved->code, FailureCode::FileNotWritten);
    EXPECT_FALSE(outcome.ok());
    EXPECT_EQ(test::readBytes(run.dir / "config.bin"), run.oldFile);
}

// A profile switched to marks config.bin as saved by Varcel, whatever the
// profile holds: the next start must not put the default labels over its own.
TEST(FaultMatrix, AProfileSwitchedToKeepsItsLabels)
{
    Setting run;
    Workspace workspace(run.dir.path(), run.reporter, Language::English);
    ASSERT_FALSE(workspace.loadConfig());
    ASSERT_TRUE(run.session.start());
    Profile profile;
    profile.image = imageToApply();
    EXPECT_TRUE(workspace.applyProfile(run.session, profile).ok());
    EXPECT_EQ(test::readBytes(run.dir / "config.bin")[0], 1);
}

TEST(FaultMatrix, PulledOutAtEveryReportOfAnApply)
{
    // An apply sends 37 command reports and 60 data reports, and reads 66:
    // the replies and data of its read-backs, half-way through which the
    // mouse is pulled out too.
    constexpr int kReports = 97 + 66;
    const std::string pulledOut =
        "the mouse stopped taking requests (was it pulled out?); the rest of the configuration was not sent";
    for (int position = 1; position <= kReports; ++position) {
        SCOPED_TRACE("pulled out after report " + std::to_string(position));
        Setting run;
        const ApplyReport outcome = applyWith(run, SimFault::UnplugAfter, position);
        EXPECT_TRUE(outcome.ran);
        // Pulled out after the very last report, the apply did reach the
        // mouse. Before, the user hears so (after the read-back whose reply
        // never came, when it went just before that).
        const auto& told = outcome.device.problems;
        EXPECT_EQ(outcome.device.ok(), position == kReports) << deviceProblemsText(outcome.device, Language::English);
        EXPECT_EQ(told.empty() ? "" : deviceProblemText(told.back(), Language::English),
                  position == kReports ? "" : pulledOut);
        EXPECT_LE(told.size(), 2u) << deviceProblemsText(outcome.device, Language::English);
        EXPECT_FALSE(outcome.saved) << "config.bin is saved whatever the mouse did";
        if (HasFailure())
            return;
    }
}

TEST(FaultMatrix, ABurstOfNotificationsDuringAnApply)
{
    Setting run;
    run.session.link().setPause([](auto ms) { std::this_thread::sleep_for(ms); });
    Workspace workspace(run.dir.path(), run.reporter, Language::English);
    ASSERT_FALSE(workspace.loadConfig());
    workspace.config().working() = imageToApply();
    ASSERT_TRUE(run.session.start());
    run.session.commands().exchangeSensorRecord();
    std::atomic<bool> stop{false};
    std::thread burst([&] {
        for (int i = 0; i < 10000 && !stop; ++i)
            run.mouse.notify(7, static_cast<std::uint8_t>(i % 4 + 1));
    });
    const auto start = std::chrono::steady_clock::now();
    const ApplyReport outcome = workspace.apply(run.session);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    stop = true;
    burst.join();
    EXPECT_TRUE(outcome.ok()) << deviceProblemsText(outcome.device, Language::English);
    expectNothingMadeUp(run, workspace.config().working());
    EXPECT_GT(run.status.count(StatusCode::DpiStageChanged), 0u) << "the reader delivered notifications meanwhile";
    EXPECT_LE(run.mouse.log().size(), SimMouse::kLogLimit);
}

} // namespace
} // namespace varcel
