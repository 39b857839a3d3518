#include "device/device_commands.h"
#include "device/hid_link.h"
#include "device/sim/sim_backend.h"
#include "device/sim/sim_mouse.h"
#include "device/trace.h"

#include <gtest/gtest.h>

#include <numeric>

namespace varcel {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
using A = img::LayerArray;

Bytes command(std::initializer_list<std::uint8_t> head)
{
    Bytes c(head);
    c.resize(8, 0);
    unsigned sum = 0;
    for (int i = 0; i < 7; ++i)
        sum += c[i];
    c[7] = static_cast<std::uint8_t>(0xFF - sum);
    return c;
}

Bytes padded(Bytes data, std::size_t size = 32)
{
    data.resize(size, 0);
    return data;
}

struct Rig {
    explicit Rig(SimFault fault = SimFault::None) : backend(mouse), link(backend), commands(link)
    {
        mouse.setFault(fault);
        link.setPause([this](std::chrono::milliseconds ms) { pauses.push_back(ms); });
        link.setDataTimeout(50ms);
        commands.setTrace(&remarks);
    }
    void connect()
    {
        ASSERT_TRUE(link.discover());
        link.handshake(nullptr);
        ASSERT_TRUE(link.ready());
        mouse.clearLog();
        pauses.clear();
    }
    struct Remarks : TraceSink {
        void traceReport(TraceKind, std::span<const std::uint8_t>) override {}
        void traceRemark(const std::string& text) override { lines.push_back(text); }
        std::vector<std::string> lines;
    } remarks;
    SimMouse mouse;
    SimBackend backend;
    HidLink link;
    DeviceCommands commands;
    std::vector<std::chrono::milliseconds> pauses;
};

void setKind(ConfigImage& image, Layer layer, std::size_t slot, FunctionKind kind)
{
    image[img::at(layer, A::Kind, slot)] = static_cast<std::uint8_t>(kind);
}

// An image whose every button, colour and DPI field is chosen, so that the
// expected wire bytes can be written down from the protocol's rules.
ConfigImage sampleImage()
{
    ConfigImage image{};
    // Unused and unsent bytes carry noise: it must not leak onto the wire.
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 7 + 3);

    image[img::kReportRate] = 2;
    setKind(image, Layer::A, 0, FunctionKind::LeftClick);
    setKind(image, Layer::A, 1, FunctionKind::TripleClick);
    setKind(image, Layer::A, 2, FunctionKind::DpiSwitch);
    image[img::dpiSwitch(Layer::A, 2)] = 2;
    setKind(image, Layer::A, 3, FunctionKind::Forward);
    setKind(image, Layer::A, 4, FunctionKind::Backward);
    setKind(image, Layer::A, 5, FunctionKind::Windows);
    image[img::at(Layer::A, A::AppCodeLow, 5)] = 0x92;
    image[img::at(Layer::A, A::AppCodeHigh, 5)] = 0x01;
    setKind(image, Layer::A, 6, FunctionKind::FireKey);
    image[img::at(Layer::A, A::FireCode, 6)] = 0x15;
    image[img::at(Layer::A, A::FireSpeed, 6)] = 40;
    image[img::at(Layer::A, A::FireTimes, 6)] = 0;
    setKind(image, Layer::A, 7, FunctionKind::Shift);

    setKind(image, Layer::B, 0, FunctionKind::LeftClick);
    setKind(image, Layer::B, 1, FunctionKind::ComboKey);
    image[img::at(Layer::B, A::ComboModifiers, 1)] = 0x05;
    image[img::at(Layer::B, A::ComboKey1, 1)] = 0x06;
    image[img::at(Layer::B, A::ComboKey2, 1)] = 0x00;
    setKind(image, Layer::B, 2, FunctionKind::SingleKey);
    image[img::at(Layer::B, A::SingleKey, 2)] = 0x3E;
    setKind(image, Layer::B, 3, FunctionKind::Multimedia);
    image[img::at(Layer::B, A::MediaCode, 3)] = 0xE9;
    setKind(image, Layer::B, 4, FunctionKind::MacroKey);
    image[img::at(Layer::B, A::MacroNumber, 4)] = 0;
    image[img::at(Layer::B, A::MacroRepeat, 4)] = 2;
    setKind(image, Layer::B, 5, FunctionKind::RgbOnOff);
    image[img::at(Layer::B, A::Kind, 6)] = 23; // not a kind: the button is switched off
    setKind(image, Layer::B, 7, FunctionKind::Shift);

    image[img::kRgbMode] = 2;
    image[img::kRgbParam1 + 1] = 4;
    for (std::size_t i = 0; i < 8; ++i)
        image[img::kLoopEnabled + i] = (i == 1 || i == 4) ? 1 : 0;
    image[img::kDpiValue + 0] = 0;
    image[img::kDpiValue + 1] = 3;
    image[img::kDpiValue + 2] = 9;
    image[img::kDpiValue + 3] = 11;
    image[img::kDpiEnabled + 0] = 1;
    image[img::kDpiEnabled + 1] = 0;
    image[img::kDpiEnabled + 2] = 1;
    image[img::kDpiEnabled + 3] = 1;
    return image;
}

TEST(ApplySequence, WireSequenceMatchesTheProtocolReportByReport)
{
    Rig rig;
    SimMemory memory;
    memory.colourBlocks[1].fill(0x31); // block 1 is only ever what the mouse returns
    for (std::size_t n = 0; n < 12; ++n)
        memory.macros[n].fill(static_cast<std::uint8_t>(0xA0 + n));
    rig.mouse.setMemory(memory);
    rig.connect();

    const ConfigImage image = sampleImage();
    rig.commands.applyConfiguration(image);

    std::vector<std::string> expected;
    auto out = [&](const Bytes& b) { expected.push_back(formatTraceLine(TraceKind::CommandOut, b)); };
    auto in = [&](const Bytes& b) { expected.push_back(formatTraceLine(TraceKind::CommandIn, b)); };
    auto dataOut = [&](const Bytes& b) { expected.push_back(formatTraceLine(TraceKind::DataOut, padded(b))); };
    auto dataIn = [&](const Bytes& b) { expected.push_back(formatTraceLine(TraceKind::DataIn, padded(b))); };

    out(command({0x01, 2}));

    // The mouse's colour blocks are read first: block 0 and 2 as the mouse
    // holds them (still zero), block 1 its own.
    for (std::uint8_t index = 0; index < 3; ++index) {
        const std::uint8_t length = index == 2 ? 4 : 24;
        out(command({0x90, index}));
        in(command({0x90, index, length}));
        dataIn(index == 1 ? Bytes(24, 0x31) : Bytes(length, 0));
    }

    // Colour block 0 packs the enabled loop colours 2 and 5; block 2 is the
    // DPI colour bits.
    Bytes block0;
    for (std::size_t colour : {1, 4})
        for (std::size_t c = 0; c < 3; ++c)
            block0.push_back(image[img::kLoopColours + 3 * colour + c]);
    out(command({0x10, 0, 24}));
    dataOut(block0);
    out(command({0x10, 1, 24}));
    dataOut(Bytes(24, 0x31));
    out(command({0x10, 2, 4}));
    dataOut(Bytes(image.begin() + img::kDpiColourBits, image.begin() + img::kDpiColourBits + 4));

    out(command({0x0D, 2, 5, 3}));

    // Sensor type 0 codes for rows 0, 3, 9, 11; stage 2 disabled.
    out(command({0x11, 4, 8}));
    dataOut({0x01, 0x84, 0x26, 0x28, 0x80, 0x80, 0x80, 0x80});

    for (std::uint8_t n = 1; n <= 12; ++n) {
        out(command({0x13, n, 128}));
        const auto block = image.begin() + img::macroBlock(n);
        for (int r = 0; r < 4; ++r)
            dataOut(Bytes(block + 32 * r, block + 32 * (r + 1)));
    }
    for (std::uint8_t n = 1; n <= 12; ++n) {
        out(command({0x93, n}));
        in(command({0x93, n, 128}));
        const auto block = image.begin() + img::macroBlock(n);
        for (int r = 0; r < 4; ++r)
            dataIn(Bytes(block + 32 * r, block + 32 * (r + 1)));
    }

    const Bytes matrixA = {
        0x01, 0x00, 0xF0, 0x00, // slot 0: left click
        0x0A, 0xF0, 0x20, 0x03, // slot 1: triple-click
        0x07, 0x00, 0x02, 0x00, // slot 2: DPI -
        0x01, 0x00, 0xF3, 0x00, // matrix slot 3 holds button slot 4: backward
        0x01, 0x00, 0xF4, 0x00, // matrix slot 4 holds button slot 3: forward
        0x03, 0x00, 0x92, 0x01, // slot 5: application key
        0x0A, 0x15, 40,   0x00, // slot 6: fire key
        0x08, 0x00, 0x02, 0x00, // slot 7: shift
    };
    const Bytes matrixB = {
        0x01, 0x00, 0xF0, 0x00, // slot 0: left click
        0x00, 0x05, 0x06, 0x00, // slot 1: combination
        0x00, 0x00, 0x3E, 0x00, // slot 2: F5
        0x09, 0x02, 0x01, 0x00, // matrix slot 3 holds button slot 4: macro 1, mode 2
        0x03, 0x00, 0xE9, 0x00, // matrix slot 4 holds button slot 3: media key
        0x08, 0x00, 0x03, 0x00, // slot 5: RGB on/off
        0x00, 0x00, 0x00, 0x00, // slot 6: kind 23 is off
        0x08, 0x00, 0x02, 0x00, // slot 7: shift
    };
    auto withFixedSlots = [](Bytes m) {
        m.resize(56, 0);
        m.insert(m.end(), {0x01, 0x00, 0xF7, 0x00, 0x01, 0x00, 0xF8, 0x00});
        return m;
    };
    const Bytes matrices[4] = {withFixedSlots(matrixA), Bytes(64, 0), withFixedSlots(matrixB), Bytes(64, 0)};
    for (std::uint8_t m = 1; m <= 4; ++m) {
        out(command({0x12, m, 64}));
        dataOut(Bytes(matrices[m - 1].begin(), matrices[m - 1].begin() + 32));
        dataOut(Bytes(matrices[m - 1].begin() + 32, matrices[m - 1].end()));
    }

    EXPECT_EQ(rig.mouse.log(), expected);
    EXPECT_EQ(rig.mouse.checksumErrors(), 0);

    // 2 ms after each of the 34 block commands, 3 ms after each of the 60 data
    // reports written: 248 ms of fixed pauses.
    const auto total = std::accumulate(rig.pauses.begin(), rig.pauses.end(), 0ms);
    EXPECT_EQ(total, 248ms);
    EXPECT_EQ(std::count(rig.pauses.begin(), rig.pauses.end(), 2ms), 34);
    EXPECT_EQ(std::count(rig.pauses.begin(), rig.pauses.end(), 3ms), 60);
}

TEST(ButtonCodes, DefaultFunctionsGiveTheDefaultKeyMatrix)
{
    ConfigImage image{};
    const FunctionKind defaults[] = {FunctionKind::LeftClick, FunctionKind::RightClick, FunctionKind::MidClick,
                                     FunctionKind::Forward,   FunctionKind::Backward,   FunctionKind::DpiSwitch,
                                     FunctionKind::KeyOff,    FunctionKind::KeyOff,     FunctionKind::KeyOff};
    for (std::size_t slot = 0; slot < 9; ++slot)
        setKind(image, Layer::A, slot, defaults[slot]);
    image[img::dpiSwitch(Layer::A, 5)] = 3;
    const KeyMatrix m = buildKeyMatrix(image, Layer::A);
    const ButtonCode expected[8] = {{0x01, 0, 0xF0, 0}, {0x01, 0, 0xF1, 0}, {0x01, 0, 0xF2, 0}, {0x01, 0, 0xF3, 0},
                                    {0x01, 0, 0xF4, 0}, {0x07, 0, 0x03, 0}, {0, 0, 0, 0},       {0, 0, 0, 0}};
    for (std::size_t slot = 0; slot < 8; ++slot)
        EXPECT_EQ(m[slot], expected[slot]) << "matrix slot " << slot;
    for (std::size_t slot = 8; slot < 14; ++slot)
        EXPECT_EQ(m[slot], ButtonCode{}) << "matrix slot " << slot;
    EXPECT_EQ(m[14], (ButtonCode{0x01, 0, 0xF7, 0}));
    EXPECT_EQ(m[15], (ButtonCode{0x01, 0, 0xF8, 0}));
}

TEST(ButtonCodes, OnlyTheFirstEightSlotsReachTheMatrix)
{
    ConfigImage image{};
    for (std::size_t slot = 0; slot < kButtonSlots; ++slot)
        setKind(image, Layer::B, slot, FunctionKind::KeyOff);
    for (std::size_t slot = 8; slot < kButtonSlots; ++slot)
        setKind(image, Layer::B, slot, FunctionKind::RightClick);
    const KeyMatrix m = buildKeyMatrix(image, Layer::B);
    for (std::size_t slot = 0; slot < 14; ++slot)
        EXPECT_EQ(m[slot], ButtonCode{}) << "matrix slot " << slot;
}

TEST(DpiCodes, FollowTheSensorTypeAndTheStageFlags)
{
    struct Row {
        std::uint8_t sensor;
        std::array<std::uint8_t, 4> rows;
        std::array<std::uint8_t, 4> enabled;
        Bytes codes;
    };
    const Row table[] = {
        {0, {0, 8, 10, 11}, {1, 1, 1, 1}, {0x01, 0x25, 0x27, 0x28, 0x80, 0x80, 0x80, 0x80}},
        {0, {0, 8, 10, 11}, {0, 0, 0, 0}, {0x81, 0xA5, 0xA7, 0xA8, 0x80, 0x80, 0x80, 0x80}},
        {1, {0, 5, 6, 7}, {1, 1, 1, 1}, {0x01, 0x23, 0x24, 0x25, 0x80, 0x80, 0x80, 0x80}},
        {2, {0, 4, 6, 7}, {1, 0, 1, 0}, {0x02, 0x8A, 0x28, 0xAA, 0x80, 0x80, 0x80, 0x80}},
        {3, {0, 1, 7, 9}, {1, 1, 1, 1}, {0x01, 0x02, 0x08, 0x00, 0x80, 0x80, 0x80, 0x80}}, // row 9 is past the list
        {5, {0, 1, 2, 3}, {1, 0, 1, 0}, {0x00, 0x80, 0x00, 0x80, 0x80, 0x80, 0x80, 0x80}},
    };
    for (const Row& row : table) {
        SCOPED_TRACE("sensor type " + std::to_string(row.sensor));
        Rig rig;
        SimMemory memory;
        memory.sensor = {row.sensor, 1, 2, 3};
        rig.mouse.setMemory(memory);
        rig.connect();
        rig.commands.exchangeSensorRecord();
        ConfigImage image{};
        for (std::size_t i = 0; i < 4; ++i) {
            image[img::kDpiValue + i] = row.rows[i];
            image[img::kDpiEnabled + i] = row.enabled[i];
        }
        rig.commands.applyConfiguration(image);
        const SimMemory stored = rig.mouse.memory();
        EXPECT_EQ(Bytes(stored.dpi.begin() + 1, stored.dpi.end()), row.codes);
    }
}

TEST(SensorRecord, ExchangeAdoptsTheTypeAndSetsBit6OfOption2)
{
    Rig rig;
    SimMemory memory;
    memory.sensor = {2, 0x11, 0x22, 0x81};
    rig.mouse.setMemory(memory);
    rig.connect();
    const auto record = rig.commands.exchangeSensorRecord();
    ASSERT_TRUE(record);
    EXPECT_EQ(rig.commands.sensorType(), 2);
    EXPECT_EQ(record->option2, 0xC1);
    EXPECT_EQ(rig.mouse.log(), (std::vector<std::string>{
                                   formatTraceLine(TraceKind::CommandOut, command({0x83})),
                                   formatTraceLine(TraceKind::CommandIn, command({0x83, 2, 0x11, 0x22, 0x81})),
                                   formatTraceLine(TraceKind::CommandOut, command({0x03, 2, 0x11, 0x22, 0xC1})),
                               }));
    EXPECT_EQ(rig.mouse.memory().sensor, (std::array<std::uint8_t, 4>{2, 0x11, 0x22, 0xC1}));
}

TEST(Lighting, RgbModeZeroRepeatsThePreviousApply)
{
    Rig rig;
    rig.connect();
    ConfigImage image{};
    image[img::kRgbMode] = 3;
    image[img::kRgbParam1 + 2] = 29;
    rig.commands.applyConfiguration(image);
    EXPECT_EQ(rig.mouse.memory().rgbEffect, (std::array<std::uint8_t, 3>{3, 30, 3}));

    image[img::kRgbMode] = 0;
    image[img::kRgbParam1 + 2] = 1;
    rig.commands.applyConfiguration(image);
    EXPECT_EQ(rig.mouse.memory().rgbEffect, (std::array<std::uint8_t, 3>{3, 30, 3}));

    // With no earlier apply, an unknown mode sends zeros.
    Rig fresh;
    fresh.connect();
    fresh.commands.applyConfiguration(image);
    EXPECT_EQ(fresh.mouse.memory().rgbEffect, (std::array<std::uint8_t, 3>{0, 0, 3}));
}

TEST(Lighting, NoEnabledLoopColourSendsAnEmptyBlock)
{
    Rig rig;
    rig.connect();
    ConfigImage image{};
    for (std::size_t i = 0; i < 24; ++i)
        image[img::kLoopColours + i] = 0x77;
    rig.commands.applyConfiguration(image);
    EXPECT_EQ(rig.mouse.memory().colourBlocks[0], (std::array<std::uint8_t, 24>{}));

    // Flags the page never writes (a foreign config.bin, a profile): only a
    // flag of 1 reaches the mouse, as only a 1 ticks the page's box.
    const std::uint8_t flags[8] = {2, 1, 255, 0, 1, 3, 2, 1};
    for (std::size_t i = 0; i < 8; ++i) {
        image[img::kLoopEnabled + i] = flags[i];
        image[img::kLoopColours + 3 * i] = static_cast<std::uint8_t>(i);
    }
    rig.commands.applyConfiguration(image);
    EXPECT_EQ(rig.mouse.memory().colourBlocks[0],
              (std::array<std::uint8_t, 24>{1, 0x77, 0x77, 4, 0x77, 0x77, 7, 0x77, 0x77}));
}

// A mouse whose colour block 1 holds 11, 12, ... 34, and whose macros hold 0x33.
SimMemory knownMemory()
{
    SimMemory memory;
    memory.colourBlocks[0].fill(0x10);
    std::iota(memory.colourBlocks[1].begin(), memory.colourBlocks[1].end(), std::uint8_t{11});
    memory.dpiColourBits.fill(0x12);
    for (auto& macro : memory.macros)
        macro.fill(0x33);
    return memory;
}

std::string problemNames(const DeviceResult& result)
{
    std::string names;
    for (const DeviceProblem& problem : result.problems)
        names += deviceProblemName(problem) + "; ";
    return names;
}

bool wrote(const std::vector<std::string>& log, const Bytes& report)
{
    return std::find(log.begin(), log.end(), formatTraceLine(TraceKind::CommandOut, report)) != log.end();
}

TEST(ReadBack, IrregularRepliesNeverWriteOutsideTheBlockNorSendAnythingMadeUp)
{
    struct Row {
        SimFault fault;
        bool block1Genuine; // the reply carried colour block 1's real bytes
        bool complete;      // nothing was left undone
    };
    // A wrong checksum byte in the replies does not make their data any less
    // the mouse's own: block 1 goes back as it came.
    for (const Row& row : {Row{SimFault::OversizeReply, true, false}, Row{SimFault::WrongBlock, false, false},
                           Row{SimFault::BadChecksum, true, true}, Row{SimFault::ShortSend, false, false}}) {
        SCOPED_TRACE(simFaultName(row.fault));
        Rig rig;
        const SimMemory memory = knownMemory();
        rig.mouse.setMemory(memory);
        rig.connect();
        rig.commands.exchangeSensorRecord();
        rig.mouse.setFault(row.fault);
        rig.mouse.clearLog();
        ConfigImage image{};
        image[img::kReportRate] = 4;
        const DeviceResult result = rig.commands.applyConfiguration(image);

        // Each reply fills at most its own block, and only when it came whole:
        // the macro copy keeps what the apply wrote.
        const DeviceMirror& mirror = rig.commands.mirror();
        for (std::size_t n = 0; n < 12; ++n)
            EXPECT_TRUE(
                std::equal(mirror.macros[n].begin(), mirror.macros[n].end(), image.begin() + img::macroBlock(n + 1)));
        // Block 1 goes back to the mouse only as the mouse gave it.
        EXPECT_EQ(rig.mouse.memory().colourBlocks[1], memory.colourBlocks[1]);
        EXPECT_EQ(wrote(rig.mouse.log(), command({0x10, 1, 24})), row.block1Genuine);
        if (row.block1Genuine) {
            EXPECT_EQ(mirror.colourBlock1, memory.colourBlocks[1]);
        }
        // The user hears of what was left undone, and the rest of the apply
        // still reached the mouse.
        EXPECT_EQ(result.ok(), row.complete) << problemNames(result);
        EXPECT_EQ(rig.mouse.memory().reportRate, 4);
        EXPECT_EQ(rig.mouse.memory().keyMatrices[0][56], 0x01);
    }
}

TEST(ReadBack, AMouseThatStopsSendingCostsOneTimeOutPerApply)
{
    Rig rig(SimFault::ShortSend);
    rig.link.setDataTimeout(100ms);
    rig.mouse.setMemory(knownMemory());
    rig.connect();
    rig.commands.exchangeSensorRecord();
    const auto start = std::chrono::steady_clock::now();
    const DeviceResult result = rig.commands.applyConfiguration(sampleImage());
    const auto took = std::chrono::steady_clock::now() - start;
    // Fifteen read-backs each miss a report; waiting for each would take 1.5 s.
    EXPECT_LT(took, 400ms);
    EXPECT_TRUE(rig.link.timedOut());
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(std::ranges::any_of(result.problems, [](const DeviceProblem& problem) {
        return problem.code == DeviceProblemCode::Block1NotSent;
    })) << problemNames(result);
}

TEST(SensorRecord, NoAnswerWritesNothingBackAndTheApplyLeavesTheDpiStagesAlone)
{
    Rig rig;
    SimMemory memory = knownMemory();
    memory.sensor = {2, 0x11, 0x22, 0x01};
    rig.mouse.setMemory(memory);
    rig.connect();
    rig.mouse.setFault(SimFault::AnswerNothing);
    EXPECT_FALSE(rig.commands.exchangeSensorRecord());
    EXPECT_TRUE(rig.commands.sensorUnknown());
    EXPECT_FALSE(rig.commands.sensorKnown()) << "the next apply asks again";
    EXPECT_FALSE(wrote(rig.mouse.log(), command({0x03, 0, 0, 0, 0x40})));
    EXPECT_EQ(rig.mouse.memory().sensor, memory.sensor);

    const DeviceResult result = rig.commands.applyConfiguration(sampleImage());
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(rig.mouse.memory().dpi, memory.dpi) << "no DPI codes guessed for an unknown sensor";

    rig.mouse.setFault(SimFault::None);
    ASSERT_TRUE(rig.commands.exchangeSensorRecord());
    EXPECT_FALSE(rig.commands.sensorUnknown());
}

TEST(Apply, UnpluggedHalfwayEndsPromptlyAndRecovers)
{
    Rig rig;
    rig.connect();
    rig.mouse.setFault(SimFault::UnplugAfter, 30); // somewhere in the macro writes
    const DeviceResult result = rig.commands.applyConfiguration(sampleImage());
    EXPECT_FALSE(result.ok()) << "the apply did not reach the mouse and must say so";
    EXPECT_FALSE(rig.mouse.plugged());
    EXPECT_TRUE(rig.link.failed());
    // Once the mouse is gone no further pauses are spent on it.
    const auto waited = std::accumulate(rig.pauses.begin(), rig.pauses.end(), 0ms);
    EXPECT_LT(waited, 248ms / 2);

    rig.mouse.plug();
    ASSERT_TRUE(rig.link.discover());
    EXPECT_EQ(rig.link.handshake(nullptr), HandshakeOutcome::Scrambled);
    EXPECT_FALSE(rig.link.failed());
    EXPECT_TRUE(rig.commands.applyConfiguration(sampleImage()).ok());
    EXPECT_EQ(rig.mouse.memory().reportRate, 2) << "the next apply reaches the mouse again";
}

TEST(Apply, OneRefusedRequestDoesNotSilenceTheNextApply)
{
    // 97: the last report of an apply
    for (int refused : {1, 5, 40, 97}) {
        SCOPED_TRACE("refused report " + std::to_string(refused));
        Rig rig;
        rig.connect();
        rig.commands.exchangeSensorRecord();
        rig.mouse.setFault(SimFault::RefuseOnce, refused);
        EXPECT_FALSE(rig.commands.applyConfiguration(sampleImage()).ok());
        EXPECT_TRUE(rig.link.ready()) << "the mouse is still there";

        rig.mouse.clearLog();
        EXPECT_TRUE(rig.commands.applyConfiguration(sampleImage()).ok());
        EXPECT_EQ(rig.mouse.memory().reportRate, 2);
        // 37 commands, 15 replies, 60 data reports written and 51 read.
        EXPECT_EQ(rig.mouse.log().size(), 37u + 15u + 60u + 51u) << "the whole sequence went out again";
    }
}

} // namespace
} // namespace varcel
