#include "device/device_commands.h"

#include "device/hid_link.h"
#include "device/trace.h"
#include "platform/failure.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

namespace varcel {

namespace {

// Each colour block, macro block and key matrix needs 2 ms to be stored
// before the mouse takes the next command.
constexpr int kBlockDelayMs = 2;

// Matrix slots 14 and 15 carry two fixed mouse-button codes (type 1) the firmware expects.
constexpr ButtonCode kMatrixSlot14{0x01, 0x00, 0xF7, 0x00};
constexpr ButtonCode kMatrixSlot15{0x01, 0x00, 0xF8, 0x00};

constexpr std::uint8_t kDpiDisabledBit = 0x80;
constexpr std::uint8_t kSensorOption2Bit = 0x40;
constexpr std::uint8_t kRgbThirdByte = 3;
constexpr std::size_t kColourBlockLengths[3] = {24, 24, 4};

} // namespace

KeyMatrix buildKeyMatrix(const ConfigImage& image, Layer layer)
{
    KeyMatrix matrix{};
    for (std::size_t slot = 0; slot < kSentButtonSlots; ++slot) {
        // The mouse numbers its fourth and fifth buttons the other way round.
        const std::size_t matrixSlot = slot == 3 ? 4 : slot == 4 ? 3 : slot;
        matrix[matrixSlot] = encodeButton(image, layer, slot);
    }
    matrix[14] = kMatrixSlot14;
    matrix[15] = kMatrixSlot15;
    return matrix;
}

DeviceCommands::DeviceCommands(HidLink& link) : m_link(link) {}

void DeviceCommands::pause(int ms) { m_link.pause(std::chrono::milliseconds(ms)); }

void DeviceCommands::remark(const std::string& text)
{
    if (m_trace)
        m_trace->traceRemark(text);
}

std::string deviceProblemName(const DeviceProblem& p)
{
    using C = DeviceProblemCode;
    static constexpr struct {
        C code;
        const char* name;
    } kNames[] = {{C::LinkFailed, "link-failed"},     {C::NoAnswer, "no-answer"},
                  {C::WrongSize, "wrong-size"},       {C::ReportsMissing, "reports-missing"},
                  {C::WrongBlock, "wrong-block"},     {C::WrongMacro, "wrong-macro"},
                  {C::Block1NotSent, "block-1-kept"}, {C::DpiNotSent, "dpi-not-sent"}};
    static_assert(rowsInCodeOrder(kNames, kDeviceProblemCodes));
    std::string name = kNames[static_cast<std::size_t>(p.code)].name;
    if (p.code == DeviceProblemCode::LinkFailed || p.code >= DeviceProblemCode::Block1NotSent)
        return p.error ? name + " errno " + std::to_string(p.error) : name;
    name += (p.what.macro ? " macro " : " colour block ") + std::to_string(p.what.index);
    if (p.code == DeviceProblemCode::WrongSize || p.code == DeviceProblemCode::ReportsMissing)
        name += " " + std::to_string(p.count) + "/" + std::to_string(p.of);
    else if (p.code == DeviceProblemCode::WrongBlock || p.code == DeviceProblemCode::WrongMacro)
        name += " names " + std::to_string(p.count);
    return name;
}

void DeviceCommands::problem(DeviceResult& result, const DeviceProblem& problem)
{
    remark(deviceProblemName(problem));
    result.problems.push_back(problem);
}

DeviceResult DeviceCommands::applyConfiguration(const ConfigImage& image)
{
    DeviceResult result;
    m_link.beginOperation();
    CommandReport rate{cmd::kReportRate, image[img::kReportRate]};
    m_link.exchangeCommand(rate);

    const bool block1Known = readColourBlocks(result);
    stageRgbEffect(image);
    buildColourBlocks(image);
    writeColourBlocks(block1Known, result);
    writeRgbEffect();
    writeDpiStages(image, result);

    m_mirror.keyMatrices[0] = {};
    for (std::size_t n = 1; n <= kMacroCount; ++n)
        std::copy_n(image.begin() + img::macroBlock(n), kMacroBlockSize, m_mirror.macros[n - 1].begin());
    writeMacros();
    readMacrosBack(result);
    writeKeyMatrices(image);
    if (m_link.failed())
        problem(result, {DeviceProblemCode::LinkFailed, {}, 0, 0, m_link.lastError()});
    return result;
}

bool DeviceCommands::readBack(CommandReport& read, std::span<std::uint8_t> data, DataExchangeResult& got,
                              ReadBackOf asked, DeviceResult& result)
{
    got = m_link.exchangeCommandWithData(read, data);
    pause(kBlockDelayMs);
    // A failed request is said once, at the end of the apply.
    if (m_link.failed())
        return false;
    if (!got.answered)
        problem(result, {DeviceProblemCode::NoAnswer, asked});
    return got.answered;
}

void DeviceCommands::checkReply(const DataExchangeResult& got, std::size_t announced, std::size_t blockSize,
                                ReadBackOf asked, DeviceResult& result)
{
    if (announced != blockSize)
        problem(result, {DeviceProblemCode::WrongSize, asked, announced, blockSize});
    if (!got.complete())
        problem(result, {DeviceProblemCode::ReportsMissing, asked, got.reportsDone, got.reportsAnnounced});
}

bool DeviceCommands::readColourBlocks(DeviceResult& result)
{
    bool block1Known = false;
    const std::span<std::uint8_t> blocks[3] = {m_mirror.colourBlock0, m_mirror.colourBlock1, m_mirror.colourBlock2};
    for (std::uint8_t index = 0; index < 3; ++index) {
        std::array<std::uint8_t, 64> data{};
        CommandReport read{cmd::kColourRead, index};
        const ReadBackOf asked{false, index};
        DataExchangeResult got;
        if (!readBack(read, data, got, asked, result))
            continue;
        const std::uint8_t block = read[1];
        const std::size_t announced = read[2];
        if (block > 2) {
            problem(result, {DeviceProblemCode::WrongBlock, asked, block});
            continue;
        }
        const std::span<std::uint8_t> target = blocks[block];
        checkReply(got, announced, target.size(), asked, result);
        // Only a whole block is taken: a part of one, with zeros or old bytes
        // for the rest, would be written back to the mouse as if it were its own.
        const std::size_t received = got.reportsDone * kDataSize;
        if (announced < target.size() || received < target.size())
            continue;
        std::copy_n(data.begin(), target.size(), target.begin());
        if (block == 1 && index == 1)
            block1Known = true;
    }
    return block1Known;
}

void DeviceCommands::stageRgbEffect(const ConfigImage& image)
{
    // A mode the mouse does not know repeats what the previous apply sent.
    const std::uint8_t mode = image[img::kRgbMode];
    if (mode >= 1 && mode <= 3) {
        m_mirror.rgbEffect[0] = mode;
        m_mirror.rgbEffect[1] = static_cast<std::uint8_t>(image[img::kRgbParam1 + mode - 1] + 1);
    }
    m_mirror.rgbEffect[2] = kRgbThirdByte;
}

void DeviceCommands::buildColourBlocks(const ConfigImage& image)
{
    m_mirror.colourBlock0.fill(0);
    std::size_t next = 0;
    for (std::size_t i = 0; i < img::kLoopColourCount; ++i) {
        if (!loopColourOn(image, i))
            continue;
        std::copy_n(image.begin() + img::kLoopColours + 3 * i, 3, m_mirror.colourBlock0.begin() + next);
        next += 3;
    }
    std::copy_n(image.begin() + img::kDpiColourBits, img::kDpiColourBytes, m_mirror.colourBlock2.begin());
}

void DeviceCommands::writeColourBlocks(bool block1Known, DeviceResult& result)
{
    const std::span<std::uint8_t> blocks[3] = {m_mirror.colourBlock0, m_mirror.colourBlock1, m_mirror.colourBlock2};
    for (std::uint8_t index = 0; index < 3; ++index) {
        // Block 1 is the mouse's own: it goes back only as the mouse gave it.
        if (index == 1 && !block1Known) {
            if (!m_link.failed())
                problem(result, {DeviceProblemCode::Block1NotSent, {}});
            continue;
        }
        CommandReport write{cmd::kColourWrite, index, static_cast<std::uint8_t>(kColourBlockLengths[index])};
        m_link.exchangeCommandWithData(write, blocks[index]);
        pause(kBlockDelayMs);
    }
}

void DeviceCommands::writeRgbEffect()
{
    CommandReport effect{cmd::kRgbEffect, m_mirror.rgbEffect[0], m_mirror.rgbEffect[1], m_mirror.rgbEffect[2]};
    m_link.exchangeCommand(effect);
}

void DeviceCommands::writeDpiStages(const ConfigImage& image, DeviceResult& result)
{
    if (m_sensorUnknown) {
        // The codes of a row depend on the sensor; guessed ones could set
        // the mouse to a resolution nobody chose.
        if (!m_link.failed())
            problem(result, {DeviceProblemCode::DpiNotSent, {}});
        return;
    }
    m_mirror.dpiCount = 4;
    for (std::size_t i = 0; i < img::kDpiStages; ++i) {
        std::uint8_t code = dpiCode(m_sensorType, image[img::kDpiValue + i]);
        if (image[img::kDpiEnabled + i] == 0)
            code |= kDpiDisabledBit;
        else
            code &= static_cast<std::uint8_t>(~kDpiDisabledBit);
        m_mirror.dpiCodes[i] = code;
    }
    std::fill(m_mirror.dpiCodes.begin() + img::kDpiStages, m_mirror.dpiCodes.end(), kDpiDisabledBit);
    CommandReport write{cmd::kDpiWrite, m_mirror.dpiCount, static_cast<std::uint8_t>(m_mirror.dpiCodes.size())};
    m_link.exchangeCommandWithData(write, m_mirror.dpiCodes);
}

void DeviceCommands::writeMacros()
{
    for (std::uint8_t n = 1; n <= kMacroCount; ++n) {
        CommandReport write{cmd::kMacroWrite, n, static_cast<std::uint8_t>(kMacroBlockSize)};
        m_link.exchangeCommandWithData(write, m_mirror.macros[n - 1]);
        pause(kBlockDelayMs);
    }
}

void DeviceCommands::readMacrosBack(DeviceResult& result)
{
    for (std::uint8_t n = 1; n <= kMacroCount; ++n) {
        // Room for the largest reply the length byte can announce, so a
        // confused mouse cannot make us write past the addressed block.
        std::array<std::uint8_t, 256> data{};
        CommandReport read{cmd::kMacroRead, n};
        const ReadBackOf asked{true, n};
        DataExchangeResult got;
        if (!readBack(read, data, got, asked, result))
            continue;
        const std::uint8_t number = read[1];
        const std::size_t announced = read[2];
        if (number < 1 || number > kMacroCount) {
            problem(result, {DeviceProblemCode::WrongMacro, asked, number});
            continue;
        }
        checkReply(got, announced, kMacroBlockSize, asked, result);
        const std::size_t kept = std::min({announced, kMacroBlockSize, got.reportsDone * kDataSize});
        std::copy_n(data.begin(), kept, m_mirror.macros[number - 1].begin());
    }
}

void DeviceCommands::writeKeyMatrices(const ConfigImage& image)
{
    m_mirror.keyMatrices[0] = buildKeyMatrix(image, Layer::A);
    m_mirror.keyMatrices[2] = buildKeyMatrix(image, Layer::B);
    for (std::uint8_t m = 1; m <= 4; ++m) {
        std::array<std::uint8_t, 64> bytes{};
        for (std::size_t slot = 0; slot < kKeyMatrixSlots; ++slot)
            std::copy_n(m_mirror.keyMatrices[m - 1][slot].begin(), 4, bytes.begin() + 4 * slot);
        CommandReport write{cmd::kKeyMatrixWrite, m, static_cast<std::uint8_t>(bytes.size())};
        m_link.exchangeCommandWithData(write, bytes);
        pause(kBlockDelayMs);
    }
}

std::optional<SensorRecord> DeviceCommands::readSensorRecord()
{
    CommandReport read{cmd::kSensorRead};
    if (!m_link.exchangeCommand(read))
        return std::nullopt;
    return SensorRecord{read[1], read[2], read[3], read[4]};
}

bool DeviceCommands::writeSensorRecord(const SensorRecord& r)
{
    CommandReport write{cmd::kSensorWrite, r.type, r.rate, r.option1, r.option2};
    return m_link.exchangeCommand(write);
}

std::optional<SensorRecord> DeviceCommands::exchangeSensorRecord()
{
    m_link.beginOperation();
    const auto record = readSensorRecord();
    // A record the mouse did not send is not written back: zeros would
    // overwrite its sensor settings.
    m_sensorUnknown = !record;
    m_sensorKnown = record.has_value();
    if (!record)
        return std::nullopt;
    SensorRecord adopted = *record;
    m_sensorType = adopted.type;
    adopted.option2 |= kSensorOption2Bit;
    if (!writeSensorRecord(adopted))
        return std::nullopt;
    return adopted;
}

} // namespace varcel
