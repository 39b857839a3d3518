// The interface language from the locale, standing in for
// GetSystemDefaultLangID: only simplified Chinese of China (0x0804) and
// traditional Chinese of Taiwan (0x0404) select Chinese.
#pragma once

#include <string_view>

namespace varcel {

// 0 for zh_CN, 1 for zh_TW, 2 for every other locale (zh_HK, zh_SG, C,
// POSIX and an unset locale included). The locale is the first non-empty of
// LC_ALL, LC_MESSAGES and LANG, the order POSIX gives for message texts; a
// codeset or modifier ("zh_CN.UTF-8", "zh_TW.Big5@radical") does not matter.
int languageIndexFromLocale(std::string_view lcAll, std::string_view lcMessages, std::string_view lang);

// The same from this process's environment.
int systemLanguageIndex();

} // namespace varcel
