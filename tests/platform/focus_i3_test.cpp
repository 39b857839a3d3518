// What a compositor sends on the i3 IPC is taken only as far as it holds:
// messages split across reads, payloads that are no JSON, names too long,
// a refused subscription, a stream that is not the IPC or announces a
// payload larger than any tree.
#include "platform/focus_watch.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>

namespace varcel {
namespace {

std::string frame(std::uint32_t type, const std::string& payload, const char* magic = "i3-ipc")
{
    const std::uint32_t header[2] = {static_cast<std::uint32_t>(payload.size()), type};
    return std::string(magic, 6).append(reinterpret_cast<const char*>(header), sizeof header).append(payload);
}

constexpr std::uint32_t kWindow = 0x80000003;
std::string focusEvent(const std::string& appId)
{
    return frame(kWindow, R"({"change":"focus","container":{"app_id":")" + appId + R"(","pid":0}})");
}

TEST(I3FocusWatch, TakesWhatHoldsAndStopsAtWhatIsNotTheIpc)
{
    const std::string subscribed = frame(2, R"({"success":true})");
    const std::string tree =
        frame(4, R"({"nodes":[{"nodes":[{"focused":true,"app_id":"alpha","window_properties":{"class":"A"}}]}]})");
    const struct {
        const char* name;
        std::string atStart;
        std::string later;
        std::vector<std::string> told; // app IDs drained, start first
        bool opens;
        bool broken;
    } cases[] = {
        {"a focus event split in two reads", subscribed + tree, focusEvent("beta"), {"alpha", "beta"}, true, false},
        {"no JSON and a title change tell nothing",
         subscribed + tree,
         frame(kWindow, "{not json") + frame(kWindow, R"({"change":"title","container":{"app_id":"x"}})"),
         {"alpha"},
         true,
         false},
        {"a name too long is no name",
         subscribed + tree,
         focusEvent(std::string(600, 'n')),
         {"alpha", ""},
         true,
         false},
        {"another stream",
         subscribed + tree,
         frame(kWindow, "{}", "xx-ipc") + focusEvent("beta"),
         {"alpha"},
         true,
         true},
        {"a payload larger than any tree",
         subscribed + tree,
         std::string("i3-ipc\xff\xff\xff\x7f\x03\x00\x00\x80", 14),
         {"alpha"},
         true,
         true},
        {"the subscription refused", frame(2, R"({"success":false})") + tree, "", {}, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir dir;
        const std::string path = (dir / "ipc.sock").string();
        const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{AF_UNIX, {}};
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        ASSERT_TRUE(!::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) && !::listen(listener, 1));
        int compositor = -1;
        std::thread answer([&] {
            compositor = ::accept(listener, nullptr, nullptr);
            ASSERT_EQ(::write(compositor, c.atStart.data(), c.atStart.size()), ssize_t(c.atStart.size()));
        });
        std::string why;
        auto watch = openI3FocusWatch(path, &why);
        answer.join();
        EXPECT_EQ(watch != nullptr, c.opens) << why;
        std::vector<std::string> told;
        if (watch) {
            if (auto app = watch->drain())
                told.push_back(app->appId);
            // Each half on its own, as the descriptor wakes the loop.
            for (const std::string& part :
                 {c.later.substr(0, c.later.size() / 2), c.later.substr(c.later.size() / 2)}) {
                ASSERT_EQ(::write(compositor, part.data(), part.size()), ssize_t(part.size()));
                pollfd p{watch->fd(), POLLIN, 0};
                ::poll(&p, 1, 1000);
                if (auto app = watch->drain())
                    told.push_back(app->appId);
            }
            EXPECT_EQ(watch->broken(), c.broken);
        }
        EXPECT_EQ(told, c.told);
        ::close(compositor);
        ::close(listener);
    }
}

} // namespace
} // namespace varcel
