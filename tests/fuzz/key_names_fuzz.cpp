// Any text as a key name, and any number as a row or key code, through the
// key tables: a name either finds its row or none, and never reads past a table.
#include "keys/key_tables.h"
#include "platform/key_names.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace varcel;
    const std::string_view name(reinterpret_cast<const char*>(data), size);
    keyCodeOfName(name);
    modifierMaskOfName(name);
    // A name finds its own row or none.
    if (const int fire = fireKeyRowOfName(name); fire >= 0 && name != kFireKeyRows.at(fire).text)
        std::abort();
    for (const Language language : {Language::SimplifiedChinese, Language::TraditionalChinese, Language::English}) {
        if (const int media = mediaRowOfName(name, language); media >= 0 && name != kMediaRows.at(media).text(language))
            std::abort();
        if (const int application = applicationRowOfName(name, language);
            application >= 0 && name != kApplicationRows.at(application).text(language))
            std::abort();
    }
    int row = 0;
    std::uint32_t code = 0;
    std::memcpy(&row, data, std::min(size, sizeof row));
    std::memcpy(&code, data, std::min(size, sizeof code));
    mediaCodeOfRow(row);
    applicationCodeOfRow(row);
    applicationLowByteOfRow(row);
    applicationHighByteOfRow(row);
    fireKeyCodeOfRow(row);
    // Any evdev code gives a short name or none.
    const std::string keyName = keyNameForEvdevCode(code);
    if (keyName.size() > 64)
        std::abort();
    return 0;
}
