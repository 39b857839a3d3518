#include "platform/locale.h"

#include <cstdlib>

namespace varcel {

int languageIndexFromLocale(std::string_view lcAll, std::string_view lcMessages, std::string_view lang)
{
    std::string_view locale = !lcAll.empty() ? lcAll : !lcMessages.empty() ? lcMessages : lang;
    // language[_territory][.codeset][@modifier]
    locale = locale.substr(0, locale.find_first_of(".@"));
    if (locale == "zh_CN")
        return 0;
    if (locale == "zh_TW")
        return 1;
    return 2;
}

int systemLanguageIndex()
{
    const auto get = [](const char* name) -> std::string_view {
        const char* value = std::getenv(name);
        return value ? value : "";
    };
    return languageIndexFromLocale(get("LC_ALL"), get("LC_MESSAGES"), get("LANG"));
}

} // namespace varcel
