#include "platform/locale.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace varcel {
namespace {

TEST(Locale, LanguageIndexFromTheFirstSetVariable)
{
    struct Row {
        const char* lcAll;
        const char* lcMessages;
        const char* lang;
        int index;
    } rows[] = {
        {"", "", "zh_CN.UTF-8", 0},
        {"", "", "zh_CN", 0},
        {"", "", "zh_CN.GB18030", 0},
        {"", "", "zh_TW.UTF-8", 1},
        {"", "", "zh_TW.Big5@radical", 1},
        {"", "", "zh_HK.UTF-8", 2},  // Hong Kong: English, as on Windows
        {"", "", "zh_SG.UTF-8", 2},
        {"", "", "zh_MO", 2},
        {"", "", "zh", 2},
        {"", "", "en_US.UTF-8", 2},
        {"", "", "C", 2},
        {"", "", "POSIX", 2},
        {"", "", "", 2},
        {"", "zh_TW.UTF-8", "zh_CN.UTF-8", 1},      // LC_MESSAGES before LANG
        {"en_GB.UTF-8", "zh_TW.UTF-8", "zh_CN.UTF-8", 2}, // LC_ALL before both
        {"zh_CN.UTF-8", "C", "C", 0},
        {"", "", "zh_cn.utf8", 2},   // locale names are case-sensitive
    };
    for (const Row& row : rows)
        EXPECT_EQ(languageIndexFromLocale(row.lcAll, row.lcMessages, row.lang), row.index)
            << "LC_ALL=" << row.lcAll << " LC_MESSAGES=" << row.lcMessages << " LANG=" << row.lang;
}

TEST(Locale, ReadsTheEnvironment)
{
    ::setenv("LC_ALL", "", 1);
    ::setenv("LC_MESSAGES", "zh_TW.UTF-8", 1);
    ::setenv("LANG", "zh_CN.UTF-8", 1);
    EXPECT_EQ(systemLanguageIndex(), 1);
    ::unsetenv("LC_MESSAGES");
    EXPECT_EQ(systemLanguageIndex(), 0);
    ::setenv("LC_ALL", "zh_HK.UTF-8", 1);
    EXPECT_EQ(systemLanguageIndex(), 2);
    ::unsetenv("LC_ALL");
    ::unsetenv("LANG");
    EXPECT_EQ(systemLanguageIndex(), 2);
}

} // namespace
} // namespace varcel
