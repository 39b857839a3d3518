// Replies from a mouse that says anything at all, fed to the link, the apply
// and the sensor exchange through the simulated mouse's backend. The
// simulated mouse answers the handshake; after that every reply, data report
// and refusal comes from the fuzzer's bytes (scrambled as the mouse would, so
// they reach the program as chosen). The sanitizers watch every block the
// replies are copied into; a reply that would hang the program stops the run.
#include "device/device_commands.h"
#include "device/hid_link.h"
#include "device/sim/sim_backend.h"
#include "device/sim/sim_mouse.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

using namespace varcel;

// The fuzzer's bytes, taken from the front as the mouse is asked for more.
struct Script {
    const std::uint8_t* data;
    std::size_t size;
    std::uint8_t next()
    {
        if (size == 0)
            return 0;
        --size;
        return *data++;
    }
    void take(std::span<std::uint8_t> out)
    {
        for (auto& b : out)
            b = next();
    }
};

// Wraps the simulated mouse's handles: the handshake goes to the simulated
// mouse; once it is over, the script answers.
class ScriptedHandle : public HidHandle {
public:
    ScriptedHandle(std::unique_ptr<HidHandle> inner, Script& script, bool& scripted)
        : m_inner(std::move(inner)), m_script(script), m_scripted(scripted)
    {}
    bool setFeature(std::span<const std::uint8_t> report) override
    {
        if (!m_scripted)
            return m_inner->setFeature(report);
        return (m_script.next() & 0x0F) != 0; // a refused request now and then
    }
    bool getFeature(std::span<std::uint8_t> report) override
    {
        if (!m_scripted)
            return m_inner->getFeature(report);
        const std::uint8_t control = m_script.next();
        std::fill(report.begin(), report.end(), 0);
        CommandReport plain{};
        m_script.take(plain);
        if (control & 1)
            putChecksum(plain); // most replies well formed, some not
        scramble(plain, linkKey(), linkTable());
        std::copy(plain.begin(), plain.end(), report.begin() + 1);
        return (control & 0x30) != 0x30;
    }
    bool write(std::span<const std::uint8_t> report) override
    {
        return m_scripted ? (m_script.next() & 0x1F) != 0 : m_inner->write(report);
    }
    int read(std::span<std::uint8_t> buffer, int timeoutMs) override
    {
        if (!m_scripted)
            return m_inner->read(buffer, timeoutMs);
        const std::uint8_t control = m_script.next();
        if (m_script.size == 0 || (control & 0x07) == 0)
            return 0; // nothing came
        if ((control & 0x07) == 1)
            return -1; // gone
        std::fill(buffer.begin(), buffer.end(), 0);
        const std::size_t n = std::min<std::size_t>(buffer.size(), 1 + control / 8);
        m_script.take(buffer.first(n));
        return static_cast<int>(n);
    }
    int pollFd() const override { return m_inner->pollFd(); }

private:
    std::unique_ptr<HidHandle> m_inner;
    Script& m_script;
    bool& m_scripted;
};

class ScriptedBackend : public HidBackend {
public:
    ScriptedBackend(SimBackend& inner, Script& script) : m_inner(inner), m_script(script) {}
    std::vector<HidInterfaceInfo> enumerate() override { return m_inner.enumerate(); }
    std::unique_ptr<HidHandle> open(const std::string& path, HidAccess access) override
    {
        auto handle = m_inner.open(path, access);
        if (!handle)
            return nullptr;
        return std::make_unique<ScriptedHandle>(std::move(handle), m_script, scripted);
    }
    bool scripted = false;

private:
    SimBackend& m_inner;
    Script& m_script;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Script script{data, size};
    SimMouse mouse;
    SimBackend sim(mouse);
    ScriptedBackend backend(sim, script);
    HidLink link(backend);
    link.setPause([](auto) {});
    link.setDataTimeout(std::chrono::milliseconds(0));
    if (!link.discover() || link.handshake(nullptr) != HandshakeOutcome::Scrambled)
        std::abort();
    backend.scripted = true;

    DeviceCommands commands(link);
    commands.exchangeSensorRecord();
    ConfigImage image{};
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = script.next();
    // An apply that got anything but sound replies says so.
    const DeviceResult result = commands.applyConfiguration(image);
    if (result.ok() && (link.failed() || link.timedOut()))
        std::abort();
    return 0;
}
