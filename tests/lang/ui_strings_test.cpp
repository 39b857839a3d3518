#include "lang/dialog_strings.h"
#include "lang/failure_texts.h"
#include "lang/ui_strings.h"
#include "platform/locale.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <set>
#include <string>

namespace varcel {
namespace {

constexpr Language kLanguages[] = {Language::SimplifiedChinese, Language::TraditionalChinese, Language::English};

TEST(LanguageChoice, OnlyChinaAndTaiwanSelectChinese)
{
    struct Row { const char* lang; Language language; const char* section; } rows[] = {
        {"zh_CN.UTF-8", Language::SimplifiedChinese, "Setting-CHS"},
        {"zh_TW.UTF-8", Language::TraditionalChinese, "Setting-CHT"},
        {"zh_HK.UTF-8", Language::English, "Setting-EN"},
        {"zh_SG.UTF-8", Language::English, "Setting-EN"},
        {"de_DE.UTF-8", Language::English, "Setting-EN"},
        {"", Language::English, "Setting-EN"},
    };
    for (const Row& row : rows) {
        const Language language = languageFromIndex(languageIndexFromLocale("", "", row.lang));
        EXPECT_EQ(language, row.language) << row.lang;
        EXPECT_STREQ(labelSectionName(language), row.section) << row.lang;
        EXPECT_STREQ(uiString(language, UiString::SectionName), row.section) << row.lang;
    }
}

TEST(UiStrings, EveryLanguageHasAllRows)
{
    for (Language language : kLanguages) {
        const UiStringTable table = assignUiStrings(language);
        ASSERT_EQ(table.size(), 74u);
        for (std::size_t i = 0; i < table.size(); ++i) {
            ASSERT_NE(table[i], nullptr) << i;
            EXPECT_GT(std::strlen(table[i]), 0u) << i;
        }
    }
    // The Chinese columns are translations: no Chinese row is left in English
    // except the texts that are the same everywhere.
    const std::set<std::string> sameEverywhere = {"Shift", "Windows"};
    for (std::size_t i = 0; i < kUiStringCount; ++i) {
        const auto id = static_cast<UiString>(i);
        const std::string en = uiString(Language::English, id);
        if (sameEverywhere.count(en) || id == UiString::SectionName)
            continue;
        EXPECT_NE(en, uiString(Language::SimplifiedChinese, id)) << en;
        EXPECT_NE(en, uiString(Language::TraditionalChinese, id)) << en;
    }
}

TEST(UiStrings, RowsThatAreEasyToGetWrong)
{
    // Two "Default" rows: the key page's and the pointer settings'.
    EXPECT_STREQ(uiString(Language::English, UiString::KeyDefault), "Default");
    EXPECT_STREQ(uiString(Language::English, UiString::PointerDefault), "Default");
    EXPECT_STREQ(uiString(Language::SimplifiedChinese, UiString::KeyDefault), "按键恢复");
    EXPECT_STREQ(uiString(Language::SimplifiedChinese, UiString::PointerDefault), "恢复默认");
    EXPECT_STREQ(uiString(Language::TraditionalChinese, UiString::KeyDefault), "按鍵恢復");
    EXPECT_STREQ(uiString(Language::TraditionalChinese, UiString::PointerDefault), "恢復默認");

    // Trailing blanks are part of the English texts.
    EXPECT_STREQ(uiString(Language::English, UiString::DpiSelfColorLedSetting), "DPI Self-Color LED Setting ");
    EXPECT_STREQ(uiString(Language::English, UiString::DpiStage1), "Switch DPI into the first stage ");
    EXPECT_STREQ(uiString(Language::English, UiString::DpiStage4), "Switch DPI into the fourth stage ");
    EXPECT_STREQ(uiString(Language::SimplifiedChinese, UiString::DpiStage4), "DPI切换到第四段");

    // A typographic apostrophe, and a comma that differs between the Chinese columns.
    EXPECT_STREQ(uiString(Language::English, UiString::NotRecording),
                 "It doesn\xE2\x80\x99t start recording, unnecessary to press Stop key!");
    EXPECT_STREQ(uiString(Language::SimplifiedChinese, UiString::NotRecording),
                 "没有开始录制,点击停止录制按钮没有意义！");
    EXPECT_STREQ(uiString(Language::TraditionalChinese, UiString::NotRecording),
                 "沒有開始錄製，點擊停止錄製按鈕沒有意義！");

    // Function names whose columns are not word-for-word.
    EXPECT_STREQ(uiString(Language::TraditionalChinese, UiString::ComboKey), "複合鍵");
    EXPECT_STREQ(uiString(Language::TraditionalChinese, UiString::MacroKey), "巨集");
    EXPECT_STREQ(uiString(Language::TraditionalChinese, UiString::KeyMatrix1), "切換到按鍵群組1");
    EXPECT_STREQ(uiString(Language::English, UiString::LeftKeyMustBeSelected), "Left key must be selected!");
    EXPECT_STREQ(uiString(Language::SimplifiedChinese, UiString::LeftKeyMustBeSelected), "左键功能必须选择！");
    EXPECT_STREQ(uiString(Language::English, UiString::MouseDetected), "The system detect the gaming mouse.");
}

TEST(DialogStrings, ChosenByTheSameLanguageIndex)
{
    EXPECT_STREQ(text::kSingleKeyPrompt(Language::TraditionalChinese), "請輸入一個按鍵");
    EXPECT_STREQ(text::kOk(Language::SimplifiedChinese), "确定");
    EXPECT_STREQ(text::kCancel(Language::English), "Cancel");
    EXPECT_STREQ(text::kFireKeyIllustration(Language::English), "Illustration:");
    EXPECT_STREQ(text::kMacroKeyOption3(Language::SimplifiedChinese), "重复直到该按键松开结束");
    EXPECT_STREQ(text::kDelayRange(Language::TraditionalChinese), "(數值範圍 50-10000)");
    EXPECT_STREQ(text::kSkinColourPrompt(Language::English), "Please click to set the UI text color");
}

// Each language of a code's text says the same data, and fills in every
// field it names: a translation that drops one hides what the user needs.
TEST(FailureTexts, EveryLanguageSaysTheSameData)
{
    const auto sameData = [](const std::function<std::string(Language)>& text, const std::string& what) {
        const std::string en = text(Language::English);
        for (Language language : kLanguages) {
            const std::string said = text(language);
            EXPECT_EQ(said.find('{'), std::string::npos) << what << ": " << said;
            for (const char* data : {"<value>", "<expected>", "1234567", "7654321"})
                EXPECT_EQ(said.find(data) == std::string::npos, en.find(data) == std::string::npos)
                    << what << ": " << said;
        }
    };
    for (std::size_t code = 0; code < kFailureCodes; ++code) {
        const Failure f{static_cast<FailureCode>(code), "<value>", {}, 0, FileStatus::Ok, 1234567};
        sameData([&](Language language) { return failureText(f, language); }, "failure " + std::to_string(code));
    }
    for (std::size_t code = 0; code < kProfileProblemCodes; ++code) {
        const ProfileProblem p{"$", static_cast<ProfileProblemCode>(code), "<value>", "<expected>", 1234567, 7654321};
        sameData([&](Language language) { return profileProblemText(p, language); }, "profile " + std::to_string(code));
    }
    for (const auto outcome : {LinkLearnResult::Outcome::NoMouseReports, LinkLearnResult::Outcome::OnlyPlain,
                               LinkLearnResult::Outcome::NotSolved, LinkLearnResult::Outcome::TooFew}) {
        for (const std::size_t others : {0, 1234567}) {
            LinkLearnResult r;
            r.outcome = outcome;
            r.plain = r.scrambled = 7654321;
            r.otherDevices = others;
            sameData([&](Language language) { return linkNotLearnedText(r, language); }, "link learn");
        }
    }
}

} // namespace
} // namespace varcel
