// config.bin loading on arbitrary bytes: a file of the right size loads
// byte for byte, any other is ignored, and a save writes it back exactly.
#include "control/workspace.h"
#include "device/config_store.h"
#include "fuzz/fuzz_support.h"
#include "platform/reporter.h"

#include <algorithm>

using namespace varcel;

namespace {

class QuietReporter : public Reporter {
public:
    void messageBox(const std::string&, const std::string&) override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto path = fuzz::writeInput(kConfigFileName, data, size);
    QuietReporter reporter;
    ConfigStore store(path.parent_path(), reporter);
    const bool loaded = store.load();
    fuzz::require(loaded == (size == kConfigFileSize));
    if (!loaded) {
        fuzz::require(std::all_of(store.working().begin(), store.working().end(), [](auto b) { return b == 0; }));
        return 0;
    }
    fuzz::require(store.firstRunFlag() == data[0]);
    fuzz::require(std::equal(store.working().begin(), store.working().end(), data + 1));
    Workspace workspace(path.parent_path(), reporter, Language::English);
    fuzz::require(!workspace.loadConfig() && !workspace.save(kSaveConfig));
    ConfigStore again(path.parent_path(), reporter);
    fuzz::require(again.load() && again.working() == store.working() && again.firstRunFlag() == 1);
    return 0;
}
