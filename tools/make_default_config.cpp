// Builds the default config.bin from the readable table beside it, so the
// repository holds no opaque binary.
//
//   make_default_config TABLE OUTPUT [SEED]
//
// OUTPUT is always written; SEED (the build tree's own config.bin) only when
// it does not exist yet, so a rebuild never overwrites a user's settings.
#include "device/config_image.h"
#include "device/config_store.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace varcel;

struct Field {
    std::size_t offset; // in config.bin: the flag byte, then the image
    std::size_t size;
};

const std::map<std::string, Field>& fields()
{
    static const std::map<std::string, Field> table = {
        {"first-run-flag", {0, 1}},
        {"layer-a.kind", {1 + img::at(Layer::A, img::LayerArray::Kind, 0), kButtonSlots}},
        {"layer-b.kind", {1 + img::at(Layer::B, img::LayerArray::Kind, 0), kButtonSlots}},
        {"layer-a.dpi-switch", {1 + img::kDpiSwitchA, kButtonSlots}},
        {"layer-b.dpi-switch", {1 + img::kDpiSwitchB, kButtonSlots}},
        {"layer-shown", {1 + img::kLayerShown, 1}},
        {"report-rate", {1 + img::kReportRate, 1}},
        {"dpi-value", {1 + img::kDpiValue, img::kDpiStages}},
        {"dpi-enabled", {1 + img::kDpiEnabled, img::kDpiStageFlags}},
        {"rgb-mode", {1 + img::kRgbMode, 1}},
        {"rgb-param1", {1 + img::kRgbParam1, 3}},
        {"rgb-param2", {1 + img::kRgbParam2, 3}},
        {"loop-enabled", {1 + img::kLoopEnabled, img::kLoopColourCount}},
        {"loop-colours", {1 + img::kLoopColours, 3 * img::kLoopColourCount}},
        {"dpi-colour-bits", {1 + img::kDpiColourBits, img::kDpiColourBytes}},
        {"pointer", {1 + img::kPointerPrecision, 5}},
    };
    return table;
}

[[noreturn]] void fail(const std::string& where, const std::string& what)
{
    std::fprintf(stderr, "make_default_config: %s: %s\n", where.c_str(), what.c_str());
    std::exit(1);
}

std::vector<std::uint8_t> parse(const std::filesystem::path& tablePath)
{
    std::ifstream in(tablePath);
    if (!in)
        fail(tablePath.string(), "cannot read");
    std::vector<std::uint8_t> bytes(kConfigFileSize, 0);
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        const std::string where = tablePath.filename().string() + ":" + std::to_string(lineNo);
        if (const auto hash = line.find('#'); hash != std::string::npos)
            line.erase(hash);
        const auto eq = line.find('=');
        if (eq == std::string::npos) {
            if (line.find_first_not_of(" \t\r") != std::string::npos)
                fail(where, "expected name = values");
            continue;
        }
        std::istringstream nameIn(line.substr(0, eq));
        std::string name;
        nameIn >> name;
        const auto field = fields().find(name);
        if (field == fields().end())
            fail(where, "unknown field \"" + name + "\"");
        std::istringstream valuesIn(line.substr(eq + 1));
        std::vector<std::uint8_t> values;
        std::string token;
        while (valuesIn >> token) {
            char* end = nullptr;
            const long value = std::strtol(token.c_str(), &end, 0);
            if (*end != '\0' || value < 0 || value > 255)
                fail(where, "\"" + token + "\" is not a byte");
            values.push_back(static_cast<std::uint8_t>(value));
        }
        if (values.size() != field->second.size)
            fail(where, name + " takes " + std::to_string(field->second.size) + " values");
        std::copy(values.begin(), values.end(), bytes.begin() + static_cast<std::ptrdiff_t>(field->second.offset));
    }
    return bytes;
}

void write(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        fail(path.string(), "cannot write");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: make_default_config TABLE OUTPUT [SEED]\n");
        return 2;
    }
    const auto bytes = parse(argv[1]);
    write(argv[2], bytes);
    if (argc == 4 && !std::filesystem::exists(argv[3]))
        write(argv[3], bytes);
    return 0;
}
