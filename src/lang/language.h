// The interface language: chosen once at start-up from the system language,
// never switched while the program runs.
#pragma once

#include <cstdint>

namespace varcel {

// The language index of the design: 0, 1, 2 index every three-column table.
enum class Language : std::uint8_t {
    SimplifiedChinese = 0,  // system language 0x0804 (zh_CN)
    TraditionalChinese = 1, // system language 0x0404 (zh_TW)
    English = 2,            // everything else, other Chinese locales included
};
inline constexpr int kLanguageCount = 3;

// Index 0 or 1 gives that Chinese; anything else English.
constexpr Language languageFromIndex(int index)
{
    return index == 0 ? Language::SimplifiedChinese
         : index == 1 ? Language::TraditionalChinese
                      : Language::English;
}

// "choose language": the locale of LC_ALL, LC_MESSAGES or LANG.
Language systemLanguage();

// One text in the three languages, in language-index order.
struct LangText {
    const char* zhCN;
    const char* zhTW;
    const char* en;

    constexpr const char* operator()(Language language) const
    {
        switch (language) {
        case Language::SimplifiedChinese: return zhCN;
        case Language::TraditionalChinese: return zhTW;
        case Language::English: break;
        }
        return en;
    }
};

// A row of a text table keyed by a code; the tables are checked with
// rowsInCodeOrder (platform/failure.h).
template <typename Code>
struct CodeText {
    Code code;
    LangText text;

    constexpr const char* operator()(Language language) const { return text(language); }
};

} // namespace varcel
