// The INI layer on arbitrary bytes: reading never fails, and an edit through
// the layer keeps every line it did not touch, byte for byte, and reads back
// what it wrote.
#include "fuzz/fuzz_support.h"
#include "platform/ini_file.h"

#include <string>
#include <string_view>

using namespace varcel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    IniFile file = IniFile::fromBytes(bytes);
    const auto sections = file.sectionNames();

    // Untouched, the file is written back exactly as read.
    fuzz::require(file.toBytes() == std::string(bytes));

    // A value set in a section of the file (or a new one) reads back, and the
    // other sections keep their keys and values.
    const std::string section = sections.empty() ? std::string("Fuzz") : sections.front();
    const std::string value = "v=1 ;\xE5\xAE\x8F";
    std::vector<std::pair<std::string, std::string>> before;
    for (const std::string& name : sections)
        if (!equalsIgnoringCase(name, section))
            for (auto& kv : file.keyValues(name))
                before.push_back(std::move(kv));
    const bool storable = isStorableIniText(section);
    file.setValue(section, "FuzzKey", value);
    fuzz::require(file.refused() == !storable);
    if (!storable)
        return 0;
    const IniFile reread = IniFile::fromBytes(file.toBytes());
    fuzz::require(reread.value(section, "FuzzKey") == value);
    std::vector<std::pair<std::string, std::string>> after;
    for (const std::string& name : reread.sectionNames())
        if (!equalsIgnoringCase(name, section))
            for (auto& kv : reread.keyValues(name))
                after.push_back(std::move(kv));
    fuzz::require(before == after);

    // Giving the section new keys keeps it in its place, with those keys only.
    const auto namesBefore = file.sectionNames();
    std::size_t place = 0;
    while (place < namesBefore.size() && !equalsIgnoringCase(namesBefore[place], section))
        ++place;
    file.replaceSection(section, {{"ItemCount", "0"}});
    const IniFile replaced = IniFile::fromBytes(file.toBytes());
    const auto names = replaced.sectionNames();
    fuzz::require(place < names.size() && equalsIgnoringCase(names[place], section));
    fuzz::require(replaced.keyValues(section) == (std::vector<std::pair<std::string, std::string>>{{"ItemCount", "0"}}));
    return 0;
}
