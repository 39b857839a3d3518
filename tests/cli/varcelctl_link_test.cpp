// The user's whole path with a mouse of other link constants: a program that
// knows them is captured, varcelctl link learn recovers them, and a session
// with the learned ones is accepted. The simulated mouse plays the mouse.
#include "device/link_constants.h"
#include "device/sim/sim_mouse.h"
#include "support/cli_run.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <tuple>

namespace varcel {
namespace {

using Bytes = std::vector<std::uint8_t>;

class LinkCli : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::copy_file(VARCEL_DEFAULT_CONFIG, dir / "config.bin"); }
    test::CliRun run(const std::string& args) { return test::runVarcelctl(VARCELCTL_PATH, dir.path(), args); }
    std::string capture(const std::string& name) { return (dir / name).string(); }
    test::TempDir dir;
};

std::string option(const LinkConstants& c) { return keyHex(c) + ":" + tableHex(c); }

// The packets of a usbmon pcap, each a 64-byte usbmon header and its data.
std::vector<Bytes> usbmonPackets(const std::filesystem::path& file)
{
    const Bytes bytes = test::readBytes(file);
    std::vector<Bytes> packets;
    for (std::size_t at = 24; at + 16 <= bytes.size();) {
        std::uint32_t length = 0;
        std::memcpy(&length, bytes.data() + at + 8, 4);
        packets.emplace_back(bytes.begin() + at + 16, bytes.begin() + at + 16 + length);
        at += 16 + length;
    }
    return packets;
}

void put(Bytes& out, std::uint64_t value, int size)
{
    // Fields wider than the value (a pcapng block's 12 zero bytes) are zero-filled.
    for (int i = 0; i < size; ++i)
        out.push_back(i < 8 ? static_cast<std::uint8_t>(value >> (8 * i)) : 0);
}

// The same reports as Windows' USBPcap logs them: a setup stage with the
// request (and the data it sends), a completion stage with the data received;
// older versions log the data sent in a data stage of its own.
std::vector<Bytes> asUsbPcap(const std::vector<Bytes>& usbmon, bool dataStage = false)
{
    std::vector<Bytes> packets;
    for (const Bytes& u : usbmon) {
        if (u[9] != 2)
            continue;
        const bool setup = u[8] == 'S';
        Bytes p;
        put(p, 28, 2);
        p.insert(p.end(), u.begin(), u.begin() + 8); // request ID
        put(p, 0, 4);
        put(p, 0x08, 2);
        p.push_back(setup ? 0 : 1);
        p.insert(p.end(), {u[12], u[13], u[11], 0, u[10], 2});
        Bytes data = setup ? Bytes(u.begin() + 40, u.begin() + 48) : Bytes{};
        const Bytes sent(u.begin() + 64, u.end());
        if (!dataStage || !setup)
            data.insert(data.end(), sent.begin(), sent.end());
        Bytes header = p;
        put(p, data.size(), 4);
        p.push_back(setup ? 0 : 3);
        p.insert(p.end(), data.begin(), data.end());
        packets.push_back(p);
        if (dataStage && setup && !sent.empty()) {
            put(header, sent.size(), 4);
            header.push_back(1);
            header.insert(header.end(), sent.begin(), sent.end());
            packets.push_back(header);
        }
    }
    return packets;
}

void writePcap(const std::filesystem::path& file, std::uint32_t linkType, const std::vector<Bytes>& packets)
{
    Bytes out;
    put(out, 0xA1B2C3D4, 4);
    put(out, 2, 2);
    put(out, 4, 2);
    put(out, 0, 8);
    put(out, 65535, 4);
    put(out, linkType, 4);
    for (const Bytes& p : packets) {
        put(out, 0, 8);
        put(out, p.size(), 4);
        put(out, p.size(), 4);
        out.insert(out.end(), p.begin(), p.end());
    }
    test::writeBytes(file, out);
}

void writePcapng(const std::filesystem::path& file, std::uint32_t linkType, const std::vector<Bytes>& packets)
{
    Bytes out;
    auto block = [&](std::uint32_t type, const Bytes& body) {
        const std::size_t padded = (body.size() + 3) / 4 * 4;
        put(out, type, 4);
        put(out, 12 + padded, 4);
        out.insert(out.end(), body.begin(), body.end());
        out.resize(out.size() + padded - body.size(), 0);
        put(out, 12 + padded, 4);
    };
    Bytes section;
    put(section, 0x1A2B3C4D, 4);
    put(section, 1, 2);
    put(section, 0, 2);
    put(section, ~0ull, 8);
    block(0x0A0D0D0A, section);
    Bytes interface;
    put(interface, linkType, 2);
    put(interface, 0, 2);
    put(interface, 65535, 4);
    block(1, interface);
    for (const Bytes& p : packets) {
        Bytes body;
        put(body, 0, 12);
        put(body, p.size(), 4);
        put(body, p.size(), 4);
        body.insert(body.end(), p.begin(), p.end());
        block(6, body);
    }
    test::writeBytes(file, out);
}

// The constants as the reports of an apply of the simulated mouse (sensor
// record 0, 1, 0, 0) can show them. The scrambling adds the table to the
// swapped report XORed with the key and rotated left by 3 bits; a key bit
// that meets only zeros of the report (bytes 5 and 6, bits 5 and 6 of the
// command byte, the option bytes and the sensor type's bit 6) or that is the
// top bit of its byte (which the addition cannot tell from the table's) acts
// as a part of the table: it goes there.
LinkConstants asAnApplyShowsThem(const LinkConstants& c)
{
    constexpr std::uint8_t kUnseen[8] = {0x84, 0xE8, 0x87, 0xFA, 0x83, 0x86, 0xA0, 0x80};
    const std::uint8_t key[8] = {0, c.key[0], c.key[1], c.key[2], c.key[3], c.key[4], c.key[5], 0};
    std::uint8_t rotated[8];
    LinkConstants out;
    for (int i = 0; i < 8; ++i) {
        rotated[i] = static_cast<std::uint8_t>((key[i] << 3) | (key[(i + 1) % 8] >> 5));
        const std::uint8_t table = static_cast<std::uint8_t>((c.table[i] << 4) | (c.table[i] >> 4));
        const std::uint8_t folded = static_cast<std::uint8_t>(table + (rotated[i] & kUnseen[i]));
        out.table[i] = static_cast<std::uint8_t>((folded << 4) | (folded >> 4));
        rotated[i] &= static_cast<std::uint8_t>(~kUnseen[i]);
    }
    for (int i = 1; i <= 6; ++i)
        out.key[i - 1] = static_cast<std::uint8_t>((rotated[i] >> 3) | ((rotated[i - 1] & 7) << 5));
    return out;
}

TEST_F(LinkCli, TwentyRandomConstantsComeBackFromACaptureOfAnApply)
{
    std::mt19937 random(23);
    auto byte = [&] { return static_cast<std::uint8_t>(random()); };
    for (int i = 0; i < 20; ++i) {
        LinkConstants mouse;
        for (auto& b : mouse.key)
            b = byte();
        for (auto& b : mouse.table)
            b = byte();
        SCOPED_TRACE(option(mouse));
        const std::string mouseLink = "--simulate --sim-link " + option(mouse);
        ASSERT_EQ(run(mouseLink + " status").status, 1) << "the built-in constants are not the mouse's";
        if (i == 0) {
            EXPECT_NE(run(mouseLink + " doctor").out.find("FIX  link: the mouse answers, but with other link constants"),
                      std::string::npos);
        }
        const auto made = run(mouseLink + " --link " + option(mouse) + " --capture " + capture("apply.pcap") + " apply");
        ASSERT_EQ(made.status, 0) << made.err;

        const auto learned = run("link learn --save " + capture("apply.pcap"));
        ASSERT_EQ(learned.status, 0) << learned.err;
        // Bits no report of this capture carries cannot come back; the rest must, exactly.
        const LinkConstants expected = asAnApplyShowsThem(mouse);
        EXPECT_NE(learned.out.find("Key:   " + keyHex(expected) + "\nTable: " + tableHex(expected)), std::string::npos)
            << learned.out;
        EXPECT_NE(learned.out.find("57 of the 57 scrambled reports"), std::string::npos) << learned.out;
        const auto accepted = run(mouseLink + " status");
        EXPECT_EQ(accepted.status, 0) << accepted.err;
        if (i == 0) {
            EXPECT_EQ(run(mouseLink + " doctor").out.find("link:"), std::string::npos);
        }
        ASSERT_EQ(run("link reset").status, 0);
    }
}

TEST_F(LinkCli, CapturesThatCannotTellAreRefusedWithTheirReason)
{
    const std::string other = "--simulate --sim-link 0123456789AB:F0E1D2C3B4A59687";
    ASSERT_EQ(run(other + " --link 0123456789AB:F0E1D2C3B4A59687 --capture " + capture("apply.pcap") + " apply").status, 0);
    ASSERT_EQ(run(other + " --capture " + capture("handshake.pcap") + " status").status, 1);
    ASSERT_EQ(run("--simulate --sim-fault plain --capture " + capture("plain.pcap") + " status").status, 1);
    // The same reports from a device that says it is a keyboard.
    const std::vector<Bytes> apply = usbmonPackets(dir / "apply.pcap");
    std::vector<Bytes> keyboard = apply;
    keyboard[1][64 + 8] = 0x2C;
    keyboard[1][64 + 9] = 0x1A;
    writePcap(dir / "keyboard.pcap", 220, keyboard);
    // Cut from the apply: its first packets, then commands (a request and its
    // completion). Seven kinds of command are too few to trust even where one
    // set of constants fits them; eight are learnt; the first sixteen reports
    // of an apply fit constants that differ on other commands.
    const std::tuple<const char*, std::size_t, std::vector<std::size_t>> cuts[] = {
        {"seven.pcap", 10, {14, 16, 48, 50, 198, 234}},
        {"eight.pcap", 12, {14, 16, 48, 50, 198, 234}},
        {"ambiguous.pcap", 50, {}},
    };
    for (const auto& [file, first, commands] : cuts) {
        std::vector<Bytes> packets(apply.begin(), apply.begin() + first);
        for (const std::size_t at : commands)
            packets.insert(packets.end(), {apply[at], apply[at + 1]});
        writePcap(dir / file, 220, packets);
    }

    struct Row {
        const char* file;
        const char* reason;
        const char* lang = "C";
    };
    const Row rows[] = {
        {"plain.pcap", "are all plain (not scrambled)"},
        {"plain.pcap", "未學到任何內容：擷取中滑鼠的 2 個報告都是明文（未加擾）", "zh_TW.UTF-8"},
        {"keyboard.pcap", "抓包中没有鼠标（USB 04D9:A09F）的特性报告，只有另外 1 个设备的", "zh_CN.UTF-8"},
        {"keyboard.pcap", "no feature reports of the mouse (USB 04D9:A09F), only of 1 other device"},
        {"handshake.pcap", "the capture holds 2 scrambled reports of the mouse, too few to tell"},
        {"seven.pcap", "the capture holds 8 scrambled reports of the mouse, too few to tell"},
        {"ambiguous.pcap", "the capture holds 16 scrambled reports of the mouse, too few to tell"},
        {"missing.pcap", "cannot read the capture"},
    };
    for (const auto& [file, reason, lang] : rows) {
        const auto r = test::runVarcelctl(VARCELCTL_PATH, dir.path(), "link learn --save " + capture(file), lang);
        EXPECT_EQ(r.status, 1) << file;
        EXPECT_NE(r.err.find(reason), std::string::npos) << file << ": " << r.err;
        EXPECT_FALSE(std::filesystem::exists(dir / kLinkFileName)) << file;
    }

    // Where libpcap cannot be loaded (a broken one stands in), every other
    // command runs and reading a capture says what to install.
    std::filesystem::create_directory(dir / "lib");
    test::writeBytes(dir / "lib" / "libpcap.so.0.8", {0});
    const std::string broken = "env LD_LIBRARY_PATH='" + (dir / "lib").string() + "' ";
    EXPECT_EQ(test::runVarcelctl(VARCELCTL_PATH, dir.path(), "--simulate status", "C", broken).status, 0);
    const auto learn = test::runVarcelctl(VARCELCTL_PATH, dir.path(), "link learn " + capture("apply.pcap"), "C", broken);
    EXPECT_EQ(learn.status, 1);
    EXPECT_NE(learn.err.find("reading captures needs libpcap (Debian's libpcap0.8 package)"), std::string::npos)
        << learn.err;
    const auto eight = run("link learn --save " + capture("eight.pcap"));
    EXPECT_EQ(eight.status, 0) << eight.err;
    EXPECT_EQ(readLinkFile(dir.path()).constants,
              asAnApplyShowsThem(*parseLinkOption("0123456789AB:F0E1D2C3B4A59687")));
}

TEST_F(LinkCli, PcapngAndUsbPcapCapturesGiveTheSameAnswer)
{
    ASSERT_EQ(run("--simulate --sim-link 0123456789AB:F0E1D2C3B4A59687 --link 0123456789AB:F0E1D2C3B4A59687 "
                  "--capture " + capture("apply.pcap") + " apply")
                  .status,
              0);
    const auto usbmon = usbmonPackets(dir / "apply.pcap");
    writePcapng(dir / "apply.pcapng", 220, usbmon);
    std::vector<Bytes> shortHeaders; // link type 189: the 48-byte header
    for (Bytes p : usbmon) {
        p.erase(p.begin() + 48, p.begin() + 64);
        shortHeaders.push_back(p);
    }
    writePcapng(dir / "apply-189.pcapng", 189, shortHeaders);
    writePcap(dir / "apply-usbpcap.pcap", 249, asUsbPcap(usbmon));
    writePcapng(dir / "apply-usbpcap-old.pcapng", 249, asUsbPcap(usbmon, true));

    const auto reference = run("link learn " + capture("apply.pcap"));
    ASSERT_EQ(reference.status, 0) << reference.err;
    for (const char* file : {"apply.pcapng", "apply-189.pcapng", "apply-usbpcap.pcap", "apply-usbpcap-old.pcapng"}) {
        const auto r = run(std::string("link learn ") + capture(file));
        EXPECT_EQ(r.status, 0) << file << ": " << r.err;
        EXPECT_EQ(r.out, reference.out) << file;
    }
    // Cut short in its last packet (Wireshark killed), it serves up to the cut.
    Bytes cut = test::readBytes(dir / "apply.pcap");
    cut.resize(cut.size() - 20);
    test::writeBytes(dir / "cut.pcap", cut);
    const auto learned = run("link learn " + capture("cut.pcap"));
    EXPECT_EQ(learned.status, 0) << learned.err;
    EXPECT_EQ(learned.out.substr(0, 44), reference.out.substr(0, 44)) << learned.out;
}

TEST_F(LinkCli, SetShowResetAndBadInputThatWritesNothing)
{
    const std::pair<const char*, int> rows[] = {
        {"link set 0123456789A F0E1D2C3B4A59687", 2},   // 11 digits
        {"link set 0123456789ABC F0E1D2C3B4A59687", 2}, // 13
        {"link set 0123456789AB F0E1D2C3B4A5968G", 2},  // not hex
        {"link set 0x23456789AB F0E1D2C3B4A59687", 2},
        {"--link 0123456789AB status", 2},
        {"--simulate --sim-link 0123:4567 status", 2},
        {"--capture x.pcap status", 2}, // only the simulated mouse is captured
    };
    for (const auto& [args, status] : rows) {
        EXPECT_EQ(run(args).status, status) << args;
        EXPECT_FALSE(std::filesystem::exists(dir / kLinkFileName)) << args;
    }
    EXPECT_NE(run("link show").out.find("built-in"), std::string::npos);
    ASSERT_EQ(run("link set 0123456789ab F0E1D2C3B4A59687").status, 0);
    EXPECT_EQ(readLinkFile(dir.path()).constants, *parseLinkOption("0123456789AB:F0E1D2C3B4A59687"));
    EXPECT_NE(run("link show").out.find("Key:   0123456789AB\nTable: F0E1D2C3B4A59687"), std::string::npos);
    // The link file is read at start: the built-in simulated mouse no longer answers as expected.
    const auto status = run("--simulate status");
    EXPECT_EQ(status.status, 1);
    EXPECT_NE(status.err.find("Teaching Varcel the mouse's link"), std::string::npos) << status.err;
    EXPECT_EQ(run("--simulate --link " + option(builtInLinkConstants()) + " status").status, 0);
    ASSERT_EQ(run("link reset").status, 0);
    EXPECT_EQ(run("--simulate status").status, 0);
    // An absent mouse is not one with other constants.
    const auto absent = run("--simulate --sim-fault silent status");
    EXPECT_EQ(absent.err.find("link constants"), std::string::npos) << absent.err;
    // link.ini as an editor may leave it: CRLF line ends; the first Key= counts.
    for (const std::string text : {"[Link]\r\nKey=0123456789AB\r\nTable=F0E1D2C3B4A59687\r\n",
                                   "Key=0123456789AB\nTable=F0E1D2C3B4A59687\nKey=00230027892B\n"}) {
        test::writeBytes(dir / kLinkFileName, Bytes(text.begin(), text.end()));
        EXPECT_EQ(readLinkFile(dir.path()).constants, *parseLinkOption("0123456789AB:F0E1D2C3B4A59687")) << text;
    }
}

} // namespace
} // namespace varcel
