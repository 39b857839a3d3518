// str.ini on arbitrary bytes through the labels: reading gives 24 labels of at
// most 1023 characters, writing them back keeps every other line, and they
// read back as written.
#include "buttons/labels_file.h"
#include "fuzz/fuzz_support.h"
#include "platform/ini_file.h"

using namespace varcel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto path = fuzz::writeInput(kLabelsFileName, data, size);
    ButtonLabels labels{};
    SkinSettings skin;
    fuzz::require(static_cast<bool>(readLabels(path, Language::SimplifiedChinese, labels, skin)));
    for (const std::string& label : labels)
        fuzz::require(label.size() <= 1023 * 4);

    const IniFile before = IniFile::load(path);
    const FileResult written = writeLabels(path, Language::SimplifiedChinese, labels);
    bool storable = true;
    for (const std::string& label : labels)
        storable = storable && isStorableIniText(label);
    // A label written back as the file holds it is no change, so even one the
    // file could not carry anew (a NUL, a stray byte) never stops the save.
    if (storable)
        fuzz::require(static_cast<bool>(written));
    if (!written)
        return 0;
    ButtonLabels again{};
    SkinSettings skinAgain;
    readLabels(path, Language::SimplifiedChinese, again, skinAgain);
    fuzz::require(again == labels);
    const IniFile after = IniFile::load(path);
    fuzz::require(after.keyValues("Skins") == before.keyValues("Skins"));
    fuzz::require(after.keyValues("Setting-EN") == before.keyValues("Setting-EN"));
    return 0;
}
