#include "device/hidraw/hidraw_backend.h"

#include "mouse_descriptors.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <array>
#include <cstdlib>

namespace varcel {
namespace {

constexpr HidId kMouseUsb{0x0003, 0x04D9, 0xA09F};

TEST(HidrawBackend, OneInterfacePerTopLevelCollectionSharingTheNode)
{
    const auto infos = interfacesFromDescriptor("/dev/hidraw7", kMouseUsb, test::keyboardInterface().bytes());
    struct Expected {
        std::uint16_t page, usage, feature, input, output;
    };
    // Lengths: data bytes of the largest report + the report-ID byte.
    const Expected expected[] = {
        {0x01, 0x06, 0, 1 + 15, 1 + 1},
        {0x0C, 0x01, 0, 1 + 2, 0},
        {0xFF01, 0xFF01, 0, 1 + 7, 0},
    };
    ASSERT_EQ(infos.size(), std::size(expected));
    for (std::size_t i = 0; i < infos.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(infos[i].path, "/dev/hidraw7");
        EXPECT_EQ(infos[i].vendorId, 0x04D9);
        EXPECT_EQ(infos[i].productId, 0xA09F);
        EXPECT_EQ(infos[i].usagePage, expected[i].page);
        EXPECT_EQ(infos[i].usage, expected[i].usage);
        EXPECT_EQ(infos[i].featureLength, expected[i].feature);
        EXPECT_EQ(infos[i].inputLength, expected[i].input);
        EXPECT_EQ(infos[i].outputLength, expected[i].output);
    }

    const auto command = interfacesFromDescriptor("/dev/hidraw8", kMouseUsb, test::commandInterface().bytes());
    ASSERT_EQ(command.size(), 1u);
    EXPECT_EQ(command[0].featureLength, 1 + 8);
    EXPECT_EQ(command[0].inputLength, 1 + 32);
    EXPECT_EQ(command[0].outputLength, 1 + 32);
}

TEST(HidrawBackend, EnumeratesWhateverThisMachineHas)
{
    // No USB here, most likely; the list may be empty but must come back.
    HidrawBackend backend;
    for (const HidInterfaceInfo& info : backend.enumerate()) {
        EXPECT_EQ(info.path.rfind("/dev/", 0), 0u) << info.path;
        EXPECT_NE(info.inputLength + info.outputLength + info.featureLength, 0) << info.path;
    }
}

TEST(HidrawBackend, OpenRefusesWhatIsNotAHidrawNode)
{
    HidrawBackend backend;
    char file[] = "/tmp/varcel-hidraw-XXXXXX";
    const int fd = ::mkstemp(file);
    ASSERT_GE(fd, 0);
    ::close(fd);
    const char* paths[] = {"/dev/hidraw-varcel-none", "/nonexistent/hidraw0", "", "/dev/null", file};
    for (const char* path : paths) {
        for (HidAccess access : {HidAccess::Read, HidAccess::Write, HidAccess::ReadWrite})
            EXPECT_EQ(backend.open(path, access), nullptr) << path;
    }
    ::unlink(file);
}

// A pipe stands in for the node: poll, read, hang-up and write behave alike
// for one report at a time.
struct Pipe {
    Pipe()
    {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) == 0) {
            readEnd = fds[0];
            writeEnd = fds[1];
        }
    }
    ~Pipe()
    {
        if (readEnd >= 0)
            ::close(readEnd);
        if (writeEnd >= 0)
            ::close(writeEnd);
    }
    // Hands one end over to a handle, which closes it.
    int takeRead() { return std::exchange(readEnd, -1); }
    int takeWrite() { return std::exchange(writeEnd, -1); }
    void send(std::vector<std::uint8_t> bytes) const
    {
        ASSERT_EQ(::write(writeEnd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    int readEnd = -1;
    int writeEnd = -1;
};

TEST(HidrawHandle, InputReportsComeWithTheReportIdByteInFront)
{
    struct Row {
        const char* name;
        bool numbered;
        std::vector<std::uint8_t> wire; // what the node hands over
        std::vector<std::uint8_t> seen; // what the caller gets
    };
    const Row rows[] = {
        {"unnumbered: a 0 is put in front", false, {0x11, 0x22, 0x33}, {0x00, 0x11, 0x22, 0x33}},
        {"numbered: the ID is already there", true, {0x06, 0x07, 0x00, 0x03}, {0x06, 0x07, 0x00, 0x03}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Pipe pipe;
        HidrawHandle handle(adoptFd(pipe.takeRead()), row.numbered);
        std::array<std::uint8_t, 40> buffer{};
        buffer.fill(0xEE);
        pipe.send(row.wire);
        ASSERT_EQ(handle.read(buffer, 1000), static_cast<int>(row.seen.size()));
        EXPECT_TRUE(std::equal(row.seen.begin(), row.seen.end(), buffer.begin()));
        EXPECT_EQ(buffer[row.seen.size()], 0xEE) << "nothing written past the report";
    }
}

TEST(HidrawHandle, ReadTimesOutThenSeesTheDeviceGo)
{
    Pipe pipe;
    HidrawHandle handle(adoptFd(pipe.takeRead()), true);
    std::array<std::uint8_t, 40> buffer{};
    EXPECT_EQ(handle.read(buffer, 0), 0);
    EXPECT_EQ(handle.read(buffer, 20), 0);

    // The pollable descriptor wakes with the report, like read() does.
    pipe.send({0x06, 0x05, 0x00, 0x08});
    pollfd p{handle.pollFd(), POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 1000), 1);

    // A report queued before the removal is still delivered; then -1.
    ::close(pipe.takeWrite());
    EXPECT_EQ(handle.read(buffer, 1000), 4);
    EXPECT_EQ(buffer[1], 0x05);
    EXPECT_EQ(handle.read(buffer, 1000), -1);
    EXPECT_EQ(handle.read(buffer, -1), -1);
}

TEST(HidrawHandle, WritesTheBufferAsGivenAndRefusesFeaturesOnOtherFiles)
{
    Pipe pipe;
    HidrawHandle handle(adoptFd(pipe.takeWrite()), false);
    const std::vector<std::uint8_t> report{0x00, 0x12, 0x34};
    EXPECT_TRUE(handle.write(report));
    std::array<std::uint8_t, 8> got{};
    ASSERT_EQ(::read(pipe.readEnd, got.data(), got.size()), 3);
    EXPECT_TRUE(std::equal(report.begin(), report.end(), got.begin()));

    std::array<std::uint8_t, 9> feature{};
    EXPECT_FALSE(handle.setFeature(feature));
    EXPECT_FALSE(handle.getFeature(feature));
    EXPECT_FALSE(handle.write({}));
}

} // namespace
} // namespace varcel
