#include "device/hid_link.h"
#include "device/sim/sim_backend.h"
#include "device/sim/sim_mouse.h"
#include "device/trace.h"
#include "platform/precise_pause.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <numeric>
#include <sys/resource.h>

namespace varcel {
namespace {

using namespace std::chrono_literals;

std::string line(TraceKind kind, std::vector<std::uint8_t> bytes) { return formatTraceLine(kind, bytes); }

struct StatusLog : StatusSink {
    explicit StatusLog(const HidLink& watched) : link(watched) {}
    void deviceStatus(StatusCode code, int value) override
    {
        codes.push_back(code);
        values.push_back(value);
        stateAtDelivery = link.state();
    }
    const HidLink& link;
    std::vector<StatusCode> codes;
    std::vector<int> values;
    LinkState stateAtDelivery = LinkState::Closed;
};

// The link against the simulated mouse, with the pauses counted rather than slept.
struct Rig {
    explicit Rig(SimFault fault = SimFault::None, int unplugAfter = 0) : backend(mouse), link(backend)
    {
        mouse.setFault(fault, unplugAfter);
        link.setPause([this](std::chrono::milliseconds ms) { pauses.push_back(ms); });
        link.setDataTimeout(50ms);
    }
    bool connect()
    {
        if (!link.discover())
            return false;
        link.handshake(nullptr);
        mouse.clearLog();
        pauses.clear();
        return link.ready();
    }
    SimMouse mouse;
    SimBackend backend;
    HidLink link;
    std::vector<std::chrono::milliseconds> pauses;
};

TEST(Handshake, OutcomeDependsOnHowTheMouseAnswers)
{
    struct Row {
        SimFault fault;
        HandshakeOutcome outcome;
        LinkState state;
        StatusCode status;
        bool mouseHasOtherConstants = false;
    };
    const Row rows[] = {
        {SimFault::None, HandshakeOutcome::Scrambled, LinkState::Ready, StatusCode::Detected},
        {SimFault::AnswerPlain, HandshakeOutcome::Plain, LinkState::Rejected, StatusCode::NotDetected},
        {SimFault::AnswerNothing, HandshakeOutcome::NoAnswer, LinkState::Rejected, StatusCode::NotDetected},
        {SimFault::None, HandshakeOutcome::OtherConstants, LinkState::Rejected, StatusCode::NotDetected, true},
        {SimFault::AnswerNothing, HandshakeOutcome::NoAnswer, LinkState::Rejected, StatusCode::NotDetected, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(simFaultName(row.fault) + std::string(row.mouseHasOtherConstants ? " (other constants)" : ""));
        Rig rig(row.fault);
        if (row.mouseHasOtherConstants)
            rig.mouse.setLinkConstants(*parseLinkOption("0123456789AB:F0E1D2C3B4A59687"));
        ASSERT_TRUE(rig.link.discover());
        EXPECT_EQ(rig.link.state(), LinkState::Discovered);
        StatusLog status(rig.link);
        EXPECT_EQ(rig.link.handshake(&status), row.outcome);
        EXPECT_EQ(rig.link.state(), row.state);
        EXPECT_EQ(rig.link.scrambling(), row.outcome == HandshakeOutcome::Scrambled);
        EXPECT_EQ(status.codes, std::vector{row.status});
        EXPECT_EQ(status.values, std::vector{0});
        EXPECT_EQ(status.stateAtDelivery, LinkState::Discovered) << "the status goes out before the flag changes";
        // Both attempts wait 5 ms for the answer; an accepted plain echo needs only one.
        const std::size_t attempts = row.outcome == HandshakeOutcome::Plain ? 1 : 2;
        EXPECT_EQ(rig.pauses, std::vector<std::chrono::milliseconds>(attempts, 5ms));
    }
}

TEST(Handshake, SendsThePlainProbeThenTheScrambledOne)
{
    Rig rig;
    ASSERT_TRUE(rig.link.discover());
    rig.link.handshake(nullptr);
    const std::vector<std::uint8_t> probe{0x00, 0xAA, 0xDD, 0x3B, 0x62, 0x00, 0x00, 0xDB};
    // The mouse logs what it understood: the plain probe it ignores, then the
    // scrambled one it descrambles and echoes.
    EXPECT_EQ(rig.mouse.log(), (std::vector{line(TraceKind::CommandOut, probe), line(TraceKind::CommandOut, probe),
                                            line(TraceKind::CommandIn, probe)}));
    EXPECT_TRUE(rig.mouse.scrambledSession());
}

TEST(Handshake, RejectedMouseIsAcceptedAgainAfterReplugWhenItBehaves)
{
    Rig rig(SimFault::AnswerPlain);
    ASSERT_TRUE(rig.link.discover());
    EXPECT_EQ(rig.link.handshake(nullptr), HandshakeOutcome::Plain);
    rig.mouse.unplug();
    rig.mouse.setFault(SimFault::None);
    rig.mouse.plug();
    ASSERT_TRUE(rig.link.discover());
    EXPECT_EQ(rig.link.handshake(nullptr), HandshakeOutcome::Scrambled);
}

TEST(Discovery, FindsBothCollectionsInAnyOrderAndSkipsWhatCannotBeOpened)
{
    for (SimFault fault : {SimFault::None, SimFault::CommandFirst, SimFault::UnopenableFirst}) {
        SCOPED_TRACE(simFaultName(fault));
        Rig rig(fault);
        ASSERT_TRUE(rig.link.discover());
        EXPECT_NE(rig.link.notificationHandle(), nullptr);
        EXPECT_EQ(rig.link.featureLength(), 9);
        EXPECT_EQ(rig.link.inputLength(), 33);
        EXPECT_EQ(rig.link.outputLength(), 33);
        EXPECT_EQ(rig.link.notificationLength(), 8);
        rig.link.handshake(nullptr);
        EXPECT_TRUE(rig.link.ready());
    }
}

TEST(Discovery, AbsentMouseLeavesTheLinkClosed)
{
    Rig rig;
    rig.mouse.unplug();
    int wakeUps = 0;
    rig.link.setNotificationOpened([&] { ++wakeUps; });
    EXPECT_FALSE(rig.link.discover());
    EXPECT_EQ(rig.link.state(), LinkState::Closed);
    EXPECT_EQ(rig.link.notificationHandle(), nullptr);
    EXPECT_EQ(wakeUps, 0);

    rig.mouse.plug();
    EXPECT_TRUE(rig.link.discover());
    EXPECT_EQ(wakeUps, 1) << "the reader is woken when a notification handle opens";
}

TEST(Exchange, TheLinkWritesTheChecksumAndScramblesOnTheWire)
{
    Rig rig;
    ASSERT_TRUE(rig.connect());
    CommandReport rate{0x01, 8, 0, 0, 0, 0, 0, 0x99};
    rig.link.exchangeCommand(rate);
    EXPECT_EQ(rig.mouse.log(), std::vector{line(TraceKind::CommandOut, {0x01, 0x08, 0, 0, 0, 0, 0, 0xF6})});
    EXPECT_EQ(rig.mouse.checksumErrors(), 0);
    EXPECT_EQ(rig.mouse.memory().reportRate, 8);
}

TEST(Exchange, ReadBackReturnsTheDescrambledReply)
{
    Rig rig;
    SimMemory memory;
    memory.sensor = {2, 0x11, 0x22, 0x33};
    rig.mouse.setMemory(memory);
    ASSERT_TRUE(rig.connect());
    CommandReport sensor{0x83};
    rig.link.exchangeCommand(sensor);
    CommandReport expected{0x83, 2, 0x11, 0x22, 0x33, 0, 0, 0};
    putChecksum(expected);
    EXPECT_EQ(sensor, expected);
}

TEST(Exchange, WriteSendsTheAnnouncedDataReportsEachFollowedBy3ms)
{
    Rig rig;
    ASSERT_TRUE(rig.connect());
    std::array<std::uint8_t, 128> block{};
    std::iota(block.begin(), block.end(), std::uint8_t{1});
    CommandReport write{0x13, 5, 128};
    const auto result = rig.link.exchangeCommandWithData(write, block);
    EXPECT_EQ(result.reportsAnnounced, 4u);
    EXPECT_TRUE(result.complete());

    CommandReport sent{0x13, 5, 128};
    putChecksum(sent);
    std::vector<std::string> expected{line(TraceKind::CommandOut, {sent.begin(), sent.end()})};
    for (int i = 0; i < 4; ++i)
        expected.push_back(line(TraceKind::DataOut, {block.begin() + 32 * i, block.begin() + 32 * (i + 1)}));
    EXPECT_EQ(rig.mouse.log(), expected);
    EXPECT_EQ(rig.pauses, std::vector<std::chrono::milliseconds>(4, 3ms));
    EXPECT_EQ(rig.mouse.memory().macros[4], block);
}

TEST(Exchange, WriteNeverReadsPastTheCallersData)
{
    Rig rig;
    ASSERT_TRUE(rig.connect());
    std::array<std::uint8_t, 40> shortData{};
    shortData.fill(0xEE);
    CommandReport write{0x12, 1, 64};
    const auto result = rig.link.exchangeCommandWithData(write, shortData);
    EXPECT_EQ(result.reportsDone, 2u);
    std::array<std::uint8_t, 64> expected{};
    std::fill_n(expected.begin(), 40, 0xEE);
    EXPECT_EQ(rig.mouse.memory().keyMatrices[0], expected) << "missing bytes go as zeros";
}

TEST(Exchange, ReadBackFillsTheBufferAndDropsWhatDoesNotFit)
{
    Rig rig;
    SimMemory memory;
    for (std::size_t i = 0; i < 128; ++i) {
        memory.macros[2][i] = static_cast<std::uint8_t>(i);
        memory.macros[3][i] = static_cast<std::uint8_t>(255 - i);
    }
    rig.mouse.setMemory(memory);
    ASSERT_TRUE(rig.connect());

    std::array<std::uint8_t, 64 + 8> small{};
    small.back() = 0x5A; // a guard past the 64 bytes we ask for
    CommandReport read{0x93, 3};
    const auto result = rig.link.exchangeCommandWithData(read, std::span(small).first(64));
    EXPECT_EQ(read[1], 3);
    EXPECT_EQ(result.bytesAnnounced, 128u);
    EXPECT_EQ(result.reportsDone, 4u) << "the surplus is read so the next reply is not out of step";
    EXPECT_TRUE(std::equal(small.begin(), small.begin() + 64, memory.macros[2].begin()));
    EXPECT_EQ(small.back(), 0x5A);

    std::array<std::uint8_t, 128> next{};
    CommandReport readNext{0x93, 4};
    rig.link.exchangeCommandWithData(readNext, next);
    EXPECT_EQ(next, memory.macros[3]);
}

TEST(Exchange, AMouseThatSendsTooFewReportsTimesOutInsteadOfHanging)
{
    Rig rig(SimFault::ShortSend);
    ASSERT_TRUE(rig.connect());
    std::array<std::uint8_t, 128> block{};
    CommandReport read{0x93, 1};
    const auto result = rig.link.exchangeCommandWithData(read, block);
    EXPECT_EQ(result.reportsAnnounced, 4u);
    EXPECT_EQ(result.reportsDone, 3u);
    EXPECT_FALSE(result.complete());
}

TEST(Exchange, UnpluggedMidwayFailsQuietlyAndAnnouncesNothing)
{
    Rig rig(SimFault::UnplugAfter, 6);
    ASSERT_TRUE(rig.connect()); // the handshake took 3 of the 6 reports, its reply included
    std::array<std::uint8_t, 128> block{};
    CommandReport write{0x13, 1, 128};
    const auto written = rig.link.exchangeCommandWithData(write, block);
    EXPECT_EQ(written.reportsDone, 2u);
    EXPECT_FALSE(rig.mouse.plugged());

    CommandReport read{0x93, 1};
    const auto result = rig.link.exchangeCommandWithData(read, block);
    EXPECT_EQ(read[2], 0) << "a failed request leaves zeros";
    EXPECT_EQ(result.reportsAnnounced, 0u);
}

// A pause sleeps through all but its end: an apply must not keep a core busy.
// (On a busy machine a spinning thread may get little of a core, but it
// never gives it up by itself.)
TEST(Exchange, PausesSleepRatherThanWatchTheClock)
{
    rusage before{}, after{};
    ::getrusage(RUSAGE_THREAD, &before);
    pauseFor(50ms);
    ::getrusage(RUSAGE_THREAD, &after);
    EXPECT_GE(after.ru_nvcsw - before.ru_nvcsw, 1);
    EXPECT_LT((after.ru_utime.tv_sec - before.ru_utime.tv_sec) * 1000000 + after.ru_utime.tv_usec -
                  before.ru_utime.tv_usec,
              25000);
}

TEST(SimulatedMouse, RemembersWhatItWasSentAcrossRuns)
{
    test::TempDir dir;
    const auto file = dir / "simulated-mouse.bin";
    {
        SimMouse mouse(file);
        SimBackend backend(mouse);
        HidLink link(backend);
        link.setPause([](auto) {});
        ASSERT_TRUE(link.discover());
        link.handshake(nullptr);
        CommandReport rate{0x01, 4};
        link.exchangeCommand(rate);
        std::array<std::uint8_t, 24> colours{};
        colours.fill(0x42);
        CommandReport block{0x10, 1, 24};
        link.exchangeCommandWithData(block, colours);
    }
    SimMouse again(file);
    EXPECT_EQ(again.memory().reportRate, 4);
    EXPECT_EQ(again.memory().colourBlocks[1][23], 0x42);

    // A damaged memory file starts the mouse afresh.
    test::writeBytes(file, {1, 2, 3});
    SimMouse fresh(file);
    EXPECT_EQ(fresh.memory(), SimMemory{});
}

} // namespace
} // namespace varcel
