// The mouse's command set: button codes, key matrices, DPI codes, colour
// blocks, macros, the sensor record, and the apply sequence that sends the
// whole configuration image.
#pragma once

#include "device/button_codes.h"
#include "device/config_image.h"
#include "device/dpi_table.h"
#include "device/protocol.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace varcel {

class HidLink;
class TraceSink;
struct DataExchangeResult;

inline constexpr std::size_t kKeyMatrixSlots = 16;
using KeyMatrix = std::array<ButtonCode, kKeyMatrixSlots>;

// Key matrix of a layer: slots 0 to 7 with 3 and 4 exchanged, 14 and 15 fixed.
KeyMatrix buildKeyMatrix(const ConfigImage& image, Layer layer);

// What the program last exchanged with the mouse.
struct DeviceMirror {
    std::array<std::uint8_t, 24> colourBlock0{}; // packed enabled loop colours
    std::array<std::uint8_t, 24> colourBlock1{}; // only ever what the mouse returned
    std::array<std::uint8_t, 4> colourBlock2{};  // DPI colour bits
    std::array<std::uint8_t, 3> rgbEffect{};     // mode, parameter + 1, 3
    std::uint8_t dpiCount = 0;
    std::array<std::uint8_t, 8> dpiCodes{};
    std::array<KeyMatrix, 4> keyMatrices{};
    std::array<std::array<std::uint8_t, kMacroBlockSize>, kMacroCount> macros{};
};

struct SensorRecord {
    std::uint8_t type = 0;
    std::uint8_t rate = 0;
    std::uint8_t option1 = 0;
    std::uint8_t option2 = 0;
};

// One thing an exchange with the mouse left undone. The user reads it in
// the window's language (lang/failure_texts); the trace names the code.
enum class DeviceProblemCode {
    LinkFailed,     // the mouse stopped taking requests; the rest was not sent
    NoAnswer,       // no answer to the read-back of `what`
    WrongSize,      // the answer for `what` announces `count` bytes where the block holds `of`
    ReportsMissing, // `count` of the `of` data reports announced for `what` came
    WrongBlock,     // the answer for `what` names block `count`; ignored
    WrongMacro,     // the answer for `what` names macro `count`; ignored
    Block1NotSent,  // colour block 1 was not written back: it could not be read whole
    DpiNotSent,     // the DPI stages were not sent: the sensor record could not be read
};
// The tables indexed by the code (the trace's names, the texts in each
// language) hold one row per code; a new code is the last one.
inline constexpr std::size_t kDeviceProblemCodes = static_cast<std::size_t>(DeviceProblemCode::DpiNotSent) + 1;

// What a read-back asked for: colour block `index` or macro `index`.
struct ReadBackOf {
    bool macro = false;
    int index = 0;
    bool operator==(const ReadBackOf&) const = default;
};

struct DeviceProblem {
    DeviceProblemCode code;
    ReadBackOf what;
    std::size_t count = 0;
    std::size_t of = 0;
    int error = 0; // errno of the failed request, where the system gave one
    bool operator==(const DeviceProblem&) const = default;
};

struct DeviceResult {
    std::vector<DeviceProblem> problems;
    bool ok() const { return problems.empty(); }
};

// A short name of the problem for the trace, e.g. "no-answer colour block 1".
std::string deviceProblemName(const DeviceProblem& problem);

class DeviceCommands {
public:
    explicit DeviceCommands(HidLink& link);

    // Sends the whole image in the fixed order; the caller saves after. A
    // failed request ends it at once (the rest would go nowhere); a reply
    // that does not come, or comes garbled, is skipped with everything that
    // depends on it: nothing read back is ever written back from zeros or
    // guesses. Every such gap is in the result.
    DeviceResult applyConfiguration(const ConfigImage& image);

    // Reads the sensor record, adopts its sensor type, sets bit 6 of option 2
    // and writes it back. When the mouse does not answer, nothing is written
    // and nothing adopted.
    std::optional<SensorRecord> exchangeSensorRecord();
    std::optional<SensorRecord> readSensorRecord();
    bool writeSensorRecord(const SensorRecord& record);

    std::uint8_t sensorType() const { return m_sensorType; }
    // True when the last sensor exchange found no answer: the DPI codes of
    // the mouse's sensor are then not known, and an apply does not send them.
    bool sensorUnknown() const { return m_sensorUnknown; }
    // True once the mouse has answered a sensor exchange on this connection,
    // until an exchange finds no answer.
    bool sensorKnown() const { return m_sensorKnown; }
    const DeviceMirror& mirror() const { return m_mirror; }

    // Remarks (cut replies) go here as "#" lines, beside the link's reports.
    void setTrace(TraceSink* trace) { m_trace = trace; }

private:
    // Returns whether colour block 1 came back whole.
    bool readColourBlocks(DeviceResult& result);
    void stageRgbEffect(const ConfigImage& image);
    void buildColourBlocks(const ConfigImage& image);
    void writeColourBlocks(bool block1Known, DeviceResult& result);
    void writeRgbEffect();
    void writeDpiStages(const ConfigImage& image, DeviceResult& result);
    void writeMacros();
    void readMacrosBack(DeviceResult& result);
    void writeKeyMatrices(const ConfigImage& image);
    void pause(int ms);
    void remark(const std::string& text);
    // One read-back and its pause; returns whether a reply came to look at.
    bool readBack(CommandReport& read, std::span<std::uint8_t> data, DataExchangeResult& got, ReadBackOf asked,
                  DeviceResult& result);
    // Notes a reply of the wrong length, or one whose data did not all come.
    void checkReply(const DataExchangeResult& got, std::size_t announced, std::size_t blockSize, ReadBackOf asked,
                    DeviceResult& result);
    // Records a problem in the result and in the trace.
    void problem(DeviceResult& result, const DeviceProblem& problem);

    HidLink& m_link;
    DeviceMirror m_mirror;
    std::uint8_t m_sensorType = 0;
    bool m_sensorUnknown = false;
    bool m_sensorKnown = false;
    TraceSink* m_trace = nullptr;
};

} // namespace varcel
