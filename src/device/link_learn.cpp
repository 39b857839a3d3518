#include "device/link_learn.h"

#include <algorithm>
#include <vector>

namespace varcel {

namespace {

using Bytes8 = std::array<std::uint8_t, 8>;

// Distinct reports kept per device; a capture of a real session holds a few
// hundred at most, and beyond this limit reports are only counted.
constexpr std::size_t kDistinctLimit = std::size_t{1} << 16;
// Distinct commands the solver reads, and probe guesses it tries.
constexpr std::size_t kSolveLimit = 512;
constexpr std::size_t kProbeGuesses = 8;
// Key candidates times reports the last step may decode; beyond it the
// capture is too thin to tell the constants anyway.
constexpr std::size_t kWorkLimit = std::size_t{1} << 25;
constexpr std::size_t kCandidateLimit = std::size_t{1} << 19;
// Fewer kinds of command than this cannot pin some fifty key and table bits.
constexpr std::size_t kFewestCommands = 8;
constexpr std::size_t kTieLimit = 4096;
constexpr std::size_t kDevicesSolved = 4;

constexpr std::uint32_t kMouseIdentity = std::uint32_t{kVendorId} << 16 | kProductId;

// Key bits, in the rotated form the table is added to, that can matter: the
// rest are fixed zeros of the key record, or meet only zeros of every report
// (bytes 5 and 6, bits 5 and 6 of the command byte), or are the top bit of
// their byte, which the table's addition cannot be told from. Those act as
// part of the table, and the constants learned have them zero: each wire
// byte has at most 128 candidates.
constexpr std::array<std::uint8_t, 8> kKeyBits{0x07, 0x7F, 0x78, 0x07, 0x7C, 0x7F, 0x78, 0x00};

constexpr std::uint8_t nibbleSwap(std::uint8_t b) { return static_cast<std::uint8_t>((b << 4) | (b >> 4)); }

// The scrambling is a byte-pair swap, an XOR with the key, a 3-bit rotation
// and a bytewise addition of the table. The XOR commutes with the rotation,
// so each wire byte is (a ^ k) + t, where a is the swapped and rotated plain
// report and k the rotated key: eight small problems, one per wire byte.
Bytes8 rotatedPlain(const Bytes8& p)
{
    const Bytes8 s{p[5], p[4], p[7], p[6], p[1], p[0], p[3], p[2]};
    Bytes8 a{};
    for (std::size_t i = 0; i < 8; ++i)
        a[i] = static_cast<std::uint8_t>((s[i] << 3) | (s[(i + 1) % 8] >> 5));
    return a;
}

Bytes8 plainFromRotated(const Bytes8& a)
{
    Bytes8 s{};
    for (std::size_t i = 0; i < 8; ++i)
        s[i] = static_cast<std::uint8_t>((a[i] >> 3) | (a[(i + 7) % 8] << 5));
    return {s[5], s[4], s[7], s[6], s[1], s[0], s[3], s[2]};
}

Bytes8 probeReport()
{
    CommandReport probe{cmd::kProbe};
    std::copy(kProbeParams.begin(), kProbeParams.end(), probe.begin() + 1);
    putChecksum(probe);
    return probe;
}

// Every subset of a mask, smallest first.
std::vector<std::uint8_t> subsets(std::uint8_t mask)
{
    std::vector<std::uint8_t> values;
    std::uint8_t k = 0;
    do {
        values.push_back(k);
        k = static_cast<std::uint8_t>((k - mask) & mask);
    } while (k != 0);
    return values;
}

// What the commands the mouse is sent carry in bytes 1 to 4, by command.
bool paramFits(std::uint8_t command, std::size_t byte, std::uint8_t v)
{
    switch (command) {
    case cmd::kProbe: return v == kProbeParams[byte - 1];
    case cmd::kSensorWrite: return true;
    case cmd::kReportRate: return byte == 1 || v == 0;
    case cmd::kRgbEffect: return byte <= 2 || (byte == 3 ? v == 3 : v == 0);
    case cmd::kSensorRead: return v == 0;
    case cmd::kColourWrite: return byte == 1 ? v <= 2 : byte == 2 ? (v == 24 || v == 4) : v == 0;
    case cmd::kColourRead: return byte == 1 ? v <= 2 : v == 0;
    case cmd::kDpiWrite: return byte == 1 ? v == 4 : byte == 2 ? v == 8 : v == 0;
    case cmd::kKeyMatrixWrite: return byte == 1 ? (v >= 1 && v <= 4) : byte == 2 ? v == 64 : v == 0;
    case cmd::kMacroWrite: return byte == 1 ? (v >= 1 && v <= 12) : byte == 2 ? v == 128 : v == 0;
    case cmd::kMacroRead: return byte == 1 ? (v >= 1 && v <= 12) : v == 0;
    default: return false;
    }
}

bool knownCommand(std::uint8_t command)
{
    constexpr std::array kCommands{cmd::kProbe,          cmd::kReportRate,  cmd::kSensorWrite, cmd::kSensorRead,
                                   cmd::kRgbEffect,      cmd::kColourWrite, cmd::kColourRead,  cmd::kDpiWrite,
                                   cmd::kKeyMatrixWrite, cmd::kMacroWrite,  cmd::kMacroRead};
    return std::find(kCommands.begin(), kCommands.end(), command) != kCommands.end();
}

// A command report the mouse could be sent.
bool soundCommand(const Bytes8& p)
{
    if (p[5] != 0 || p[6] != 0 || !knownCommand(p[0]))
        return false;
    for (std::size_t byte = 1; byte <= 4; ++byte)
        if (!paramFits(p[0], byte, p[byte]))
            return false;
    if (p[0] == cmd::kColourWrite && (p[2] == 4) != (p[1] == 2))
        return false;
    return p[7] == commandChecksum(p);
}

// A reply the mouse could give: nothing says what it puts beyond the command
// and its block, nor that it fills in the checksum.
bool soundReply(const Bytes8& p)
{
    switch (p[0]) {
    case cmd::kProbe: return std::equal(kProbeParams.begin(), kProbeParams.begin() + 4, p.begin() + 1);
    case cmd::kSensorRead: return true;
    case cmd::kColourRead: return p[1] <= 2;
    case cmd::kMacroRead: return p[1] >= 1 && p[1] <= 12;
    default: return false;
    }
}

// Every command the program itself sends with fixed parameters: constants
// that agree on all of them serve the mouse alike.
std::vector<Bytes8> commandsOfAnApply()
{
    std::vector<Bytes8> all{probeReport()};
    auto add = [&](std::uint8_t c, std::uint8_t p1, std::uint8_t p2, std::uint8_t p3 = 0) {
        CommandReport r{c, p1, p2, p3};
        putChecksum(r);
        all.push_back(r);
    };
    for (const std::uint8_t rate : std::array<std::uint8_t, 4>{1, 2, 4, 8})
        add(cmd::kReportRate, rate, 0);
    add(cmd::kSensorRead, 0, 0);
    for (std::uint8_t mode = 1; mode <= 3; ++mode)
        for (std::uint8_t parameter = 1; parameter <= 10; ++parameter)
            add(cmd::kRgbEffect, mode, parameter, 3);
    for (std::uint8_t block = 0; block < 3; ++block) {
        add(cmd::kColourWrite, block, block == 2 ? 4 : 24);
        add(cmd::kColourRead, block, 0);
    }
    add(cmd::kDpiWrite, 4, 8);
    for (std::uint8_t m = 1; m <= 4; ++m)
        add(cmd::kKeyMatrixWrite, m, 64);
    for (std::uint8_t n = 1; n <= 12; ++n) {
        add(cmd::kMacroWrite, n, 128);
        add(cmd::kMacroRead, n, 0);
    }
    return all;
}

// One guess at the constants: the rotated key byte per wire byte; the table
// byte follows from the probe.
struct Solver {
    Bytes8 probeWire{};
    Bytes8 probeRotated = rotatedPlain(probeReport());

    std::uint8_t table(std::size_t i, std::uint8_t k) const
    {
        return static_cast<std::uint8_t>(probeWire[i] - (probeRotated[i] ^ k));
    }
    std::uint8_t rotated(std::size_t i, std::uint8_t k, std::uint8_t wire) const
    {
        return static_cast<std::uint8_t>((wire - table(i, k)) ^ k);
    }
    Bytes8 plain(const Bytes8& k, const Bytes8& wire) const
    {
        Bytes8 a{};
        for (std::size_t i = 0; i < 8; ++i)
            a[i] = rotated(i, k[i], wire[i]);
        return plainFromRotated(a);
    }
    Bytes8 wire(const Bytes8& k, const Bytes8& plain) const
    {
        const Bytes8 a = rotatedPlain(plain);
        Bytes8 w{};
        for (std::size_t i = 0; i < 8; ++i)
            w[i] = static_cast<std::uint8_t>((a[i] ^ k[i]) + table(i, k[i]));
        return w;
    }
    LinkConstants constants(const Bytes8& k) const
    {
        LinkConstants c;
        for (std::size_t i = 0; i < 8; ++i)
            c.table[i] = nibbleSwap(table(i, k[i]));
        for (std::size_t i = 1; i <= 6; ++i)
            c.key[i - 1] = static_cast<std::uint8_t>((k[i] >> 3) | ((k[i - 1] & 7) << 5));
        return c;
    }
};

// Keeps the candidates of some wire bytes that explain the most reports.
struct Step {
    std::vector<std::array<std::uint8_t, 8>> best;
    std::size_t score = 0;
    bool overflow = false; // more ties than kept: the capture cannot tell them apart
    void offer(const Bytes8& k, std::size_t s)
    {
        if (s > score || best.empty()) {
            best.clear();
            score = s;
            overflow = false;
        }
        if (s != score)
            return;
        if (best.size() < kTieLimit)
            best.push_back(k);
        else
            overflow = true;
    }
    std::vector<std::uint8_t> values(std::size_t i) const
    {
        std::vector<std::uint8_t> v;
        for (const auto& k : best)
            if (std::find(v.begin(), v.end(), k[i]) == v.end())
                v.push_back(k[i]);
        std::sort(v.begin(), v.end());
        return v;
    }
};

struct Solution {
    bool solved = false;
    bool tooThin = false; // too many candidates left to try: the capture cannot tell
    bool determined = false;
    Bytes8 key{};
    Solver solver;
};

// Each wire byte is settled by the plain bytes it carries, from the ones
// every command fixes to the checksum that needs them all.
Solution solveWith(const Bytes8& probeWire, const std::vector<Bytes8>& commands, const std::vector<Bytes8>& replies)
{
    Solution result;
    Solver& s = result.solver;
    s.probeWire = probeWire;
    if (commands.size() < kFewestCommands) {
        result.tooThin = true;
        return result;
    }
    auto decoded = [&](const Bytes8& k, const Bytes8& w) { return s.plain(k, w); };
    // Reports that fit, or 0 as soon as `floor` is out of reach.
    auto scoreOf = [&](const Bytes8& k, auto&& fits, std::size_t floor = 0) {
        std::size_t n = 0;
        std::size_t left = commands.size();
        for (const Bytes8& w : commands) {
            n += fits(decoded(k, w));
            if (n + --left < floor)
                return std::size_t{0};
        }
        return n;
    };
    // A step with nothing to go on, or more ties than can be tried, ends the
    // guess: the capture does not tell (garbage costs bounded time, too).
    auto settled = [&](const Step& step, std::size_t triesNext) {
        // Constants that leave most commands unexplained explain nothing.
        if (2 * step.score <= commands.size())
            return false;
        if (step.overflow || triesNext > kCandidateLimit ||
            triesNext * std::max<std::size_t>(commands.size() + replies.size(), 1) > kWorkLimit) {
            result.tooThin = true;
            return false;
        }
        return true;
    };
    const auto offer = [&](Step& step, const Bytes8& k, auto&& fits) { step.offer(k, scoreOf(k, fits, step.score)); };
    const auto byte3Fits = [](const Bytes8& p) { return knownCommand(p[0]) && paramFits(p[0], 3, p[3]); };
    const auto byte1Fits = [](const Bytes8& p) { return knownCommand(p[0]) && paramFits(p[0], 1, p[1]); };

    // Byte 5 of every command is zero (wire bytes 0 and 7).
    Step zero5;
    for (std::uint8_t k0 : subsets(kKeyBits[0]))
        offer(zero5, {k0}, [](const Bytes8& p) { return p[5] == 0; });
    // Byte 6 too (wire bytes 2 and 3).
    Step zero6;
    for (std::uint8_t k3 : subsets(kKeyBits[3]))
        offer(zero6, {0, 0, 0, k3}, [](const Bytes8& p) { return p[6] == 0; });
    // The command byte (wire bytes 4 and 5; only the low bits of 4 count).
    Step command;
    for (std::uint8_t k4 : subsets(kKeyBits[4] & 7))
        for (std::uint8_t k5 : subsets(kKeyBits[5]))
            offer(command, {0, 0, 0, 0, k4, k5}, [](const Bytes8& p) { return knownCommand(p[0]); });
    const auto k6all = subsets(kKeyBits[6]);
    if (!settled(zero5, 0) || !settled(zero6, 0) || !settled(command, command.best.size() * k6all.size()))
        return result;
    // Byte 3 by command (wire bytes 5 and 6).
    Step byte3;
    for (const auto& c : command.best)
        for (std::uint8_t k6 : k6all)
            offer(byte3, {0, 0, 0, 0, c[4], c[5], k6}, byte3Fits);
    const auto k3all = zero6.values(3);
    const auto k4high = subsets(kKeyBits[4] & ~7);
    if (!settled(byte3, k3all.size() * byte3.best.size() * k4high.size()))
        return result;
    // Byte 1 by command (wire bytes 3 and 4).
    Step byte1;
    for (std::uint8_t k3 : k3all)
        for (const auto& c : byte3.best)
            for (std::uint8_t high : k4high)
                offer(byte1, {0, 0, 0, k3, static_cast<std::uint8_t>(c[4] | high), c[5]}, byte1Fits);

    // Last, the whole command with its checksum (wire bytes 1 and 2 join).
    const auto k0s = zero5.values(0), k3s = byte1.values(3), k4s = byte1.values(4), k5s = byte1.values(5),
               k6s = byte3.values(6), k1s = subsets(kKeyBits[1]), k2s = subsets(kKeyBits[2]);
    const std::size_t combinations =
        k0s.size() * k3s.size() * k4s.size() * k5s.size() * k6s.size() * k1s.size() * k2s.size();
    if (!settled(byte1, combinations))
        return result;
    Step whole;
    for (auto k0 : k0s)
        for (auto k1 : k1s)
            for (auto k2 : k2s)
                for (auto k3 : k3s)
                    for (auto k4 : k4s)
                        for (auto k5 : k5s)
                            for (auto k6 : k6s) {
                                const Bytes8 k{k0, k1, k2, k3, k4, k5, k6, 0};
                                // Replies break ties where the mouse fills in their checksum.
                                std::size_t n = scoreOf(k, soundCommand, whole.score >> 16) << 16;
                                if (n > 0 && n >= (whole.score & ~std::size_t{0xFFFF}))
                                    for (const Bytes8& w : replies) {
                                        const Bytes8 p = decoded(k, w);
                                        n += soundReply(p) && p[7] == commandChecksum(p);
                                    }
                                whole.offer(k, n);
                            }
    if (whole.best.empty() || whole.score == 0)
        return result;
    result.solved = true;
    result.key = whole.best.front();
    // Guesses that explain the capture equally well must also agree on every
    // command the program sends; otherwise the capture was too thin.
    result.determined = !whole.overflow;
    const auto apply = commandsOfAnApply();
    for (const Bytes8& other : whole.best)
        for (const Bytes8& p : apply)
            if (s.wire(other, p) != s.wire(result.key, p))
                result.determined = false;
    return result;
}

// One more of a scrambled report; the first kSolveLimit distinct ones are
// also kept in the order they came.
void tally(std::map<Bytes8, std::size_t>& seen, std::vector<Bytes8>& order, const Bytes8& bytes)
{
    if (auto found = seen.find(bytes); found != seen.end()) {
        ++found->second;
    } else if (seen.size() < kDistinctLimit) {
        seen.emplace(bytes, 1);
        if (order.size() < kSolveLimit)
            order.push_back(bytes);
    }
}

std::string deviceName(std::uint64_t streamKey)
{
    return "bus " + std::to_string(streamKey >> 32) + ", device " + std::to_string((streamKey >> 16) & 0xFFFF) +
           ", interface " + std::to_string(streamKey & 0xFFFF);
}

} // namespace

struct LinkLearner::Stream {
    std::map<Bytes8, std::size_t> commands; // scrambled command reports, with how often each came
    std::map<Bytes8, std::size_t> replies;  // scrambled replies
    std::vector<Bytes8> commandOrder;       // the first kSolveLimit distinct ones, as they came
    std::vector<Bytes8> replyOrder;
    std::vector<Bytes8> probeGuesses; // what followed a plain probe
    std::size_t plain = 0;
    std::size_t scrambled = 0;
    bool afterPlainProbe = false;
};

LinkLearner::LinkLearner() = default;
LinkLearner::~LinkLearner() = default;

void LinkLearner::featureReport(const CaptureFeatureReport& report)
{
    const std::uint64_t key =
        std::uint64_t{report.device.bus} << 32 | std::uint64_t{report.device.address} << 16 | report.interface;
    auto& slot = m_streams[key];
    if (!slot)
        slot = std::make_unique<Stream>();
    Stream& stream = *slot;
    const Bytes8& bytes = report.bytes;
    if (report.fromDevice) {
        // A mouse with nothing to say answers zeros, or not at all.
        if (!report.answered || std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == 0; }))
            return;
        if (soundReply(bytes) && bytes[7] == commandChecksum(bytes)) {
            ++stream.plain;
            return;
        }
        ++stream.scrambled;
        tally(stream.replies, stream.replyOrder, bytes);
        return;
    }
    if (soundCommand(bytes)) {
        ++stream.plain;
        stream.afterPlainProbe = bytes == probeReport();
        return;
    }
    ++stream.scrambled;
    if (stream.afterPlainProbe && stream.probeGuesses.size() < kProbeGuesses &&
        std::find(stream.probeGuesses.begin(), stream.probeGuesses.end(), bytes) == stream.probeGuesses.end())
        stream.probeGuesses.push_back(bytes);
    stream.afterPlainProbe = false;
    tally(stream.commands, stream.commandOrder, bytes);
}

void LinkLearner::deviceIdentity(const CaptureDevice& device, std::uint16_t vendorId, std::uint16_t productId)
{
    m_identities[std::uint32_t{device.bus} << 16 | device.address] = std::uint32_t{vendorId} << 16 | productId;
}

LinkLearnResult LinkLearner::solve() const
{
    using Outcome = LinkLearnResult::Outcome;
    LinkLearnResult best;
    std::size_t others = 0;
    for (const auto& [device, identity] : m_identities)
        others += identity != kMouseIdentity;

    // The devices that may be the mouse, the busiest first; a capture of many
    // devices is not solved for each of them.
    std::vector<std::pair<std::size_t, std::uint64_t>> candidates;
    for (const auto& [key, stream] : m_streams) {
        const auto identity = m_identities.find(static_cast<std::uint32_t>(key >> 16));
        if (identity == m_identities.end() || identity->second == kMouseIdentity)
            candidates.emplace_back(stream->scrambled + stream->plain, key);
    }
    std::sort(candidates.rbegin(), candidates.rend());
    if (candidates.size() > kDevicesSolved)
        candidates.resize(kDevicesSolved);

    for (const auto& [reports, key] : candidates) {
        const Stream* stream = m_streams.at(key).get();
        LinkLearnResult r;
        r.device = deviceName(key);
        r.plain = stream->plain;
        r.scrambled = stream->scrambled;
        if (stream->scrambled == 0) {
            r.outcome = stream->plain ? Outcome::OnlyPlain : Outcome::NoMouseReports;
        } else {
            // Without a plain probe to follow, the handshake is one of the
            // first commands.
            std::vector<Bytes8> guesses = stream->probeGuesses;
            if (guesses.empty())
                for (const Bytes8& c : stream->commandOrder)
                    if (guesses.size() < kProbeGuesses)
                        guesses.push_back(c);
            r.outcome = Outcome::NotSolved;
            for (const Bytes8& guess : guesses) {
                const Solution solution = solveWith(guess, stream->commandOrder, stream->replyOrder);
                if (solution.tooThin && r.outcome == Outcome::NotSolved)
                    r.outcome = Outcome::TooFew;
                if (!solution.solved)
                    continue;
                std::size_t agreeing = 0;
                for (const auto& [wire, count] : stream->commands)
                    agreeing += soundCommand(solution.solver.plain(solution.key, wire)) ? count : 0;
                for (const auto& [wire, count] : stream->replies)
                    agreeing += soundReply(solution.solver.plain(solution.key, wire)) ? count : 0;
                // Constants that explain fewer than half the commands explain nothing.
                std::size_t commandsAgreeing = 0;
                for (const Bytes8& c : stream->commandOrder)
                    commandsAgreeing += soundCommand(solution.solver.plain(solution.key, c));
                if (2 * commandsAgreeing <= stream->commandOrder.size() || agreeing <= r.agreeing)
                    continue;
                r.agreeing = agreeing;
                r.constants = solution.solver.constants(solution.key);
                r.outcome = solution.determined ? Outcome::Learned : Outcome::TooFew;
            }
        }
        if (r.outcome > best.outcome || (r.outcome == best.outcome && r.agreeing > best.agreeing))
            best = r;
    }
    best.otherDevices = others;
    return best;
}

LinkLearnResult learnLinkFromCapture(const std::filesystem::path& path, Problem& problem)
{
    LinkLearner learner;
    const CaptureReadResult read = readCapture(path, learner);
    problem = read.problem;
    return learner.solve();
}

} // namespace varcel
