#include "control/balloons.h"

#include <gtest/gtest.h>

namespace varcel {
namespace {

TEST(Balloons, TextTitleAndTimeByCodeAndValue)
{
    ConfigImage image{};
    image[img::kDpiValue + 1] = 4; // stage 2 on row 4
    image[img::kDpiValue + 2] = 2; // stage 3 on row 2
    struct Row {
        StatusCode code;
        int value;
        std::uint8_t sensor;
        const char* text; // nullptr: no balloon
        const char* title;
    };
    const Row rows[] = {
        {StatusCode::ReportRateChanged, 1, 0, "Switch report rate into 1000HZ", "Info"},
        {StatusCode::ReportRateChanged, 8, 0, "Switch report rate into 125HZ", "Info"},
        {StatusCode::ReportRateChanged, 3, 0, nullptr, nullptr},
        {StatusCode::DpiStageChanged, 2, 0, "Switch DPI into the second stage 1250", "Info"},
        {StatusCode::DpiStageChanged, 3, 1, "Switch DPI into the third stage 1000", "Info"},
        {StatusCode::DpiStageChanged, 3, 5, "Switch DPI into the third stage ", "Info"},
        {StatusCode::DpiStageChanged, 5, 0, nullptr, nullptr},
        {StatusCode::KeyMatrixChanged, 2, 0, "Switch to key matrix 2", "Info"},
        {StatusCode::KeyMatrixChanged, 3, 0, nullptr, nullptr},
        {StatusCode::MacroChanged, 12, 0, "Switch to macro key12", "Info"},
        {StatusCode::MacroChanged, 0, 0, nullptr, nullptr},
        {StatusCode::Detected, 0, 0, "The system detect the gaming mouse.", "Info"},
        {StatusCode::NotDetected, 0, 0, "The system did not detect the gaming mouse!", "Warning"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(static_cast<int>(row.code)) + " " + std::to_string(row.value));
        const auto balloon = balloonFor(row.code, row.value, Language::English, image, row.sensor);
        if (!row.text) {
            EXPECT_FALSE(balloon.has_value());
            continue;
        }
        ASSERT_TRUE(balloon.has_value());
        EXPECT_EQ(balloon->text, row.text);
        EXPECT_EQ(balloon->title, row.title);
    }
}

TEST(Balloons, SwitchesStayLongerThanLinkNewsAndSpeakTheLanguage)
{
    const ConfigImage image{};
    const auto rate = balloonFor(StatusCode::ReportRateChanged, 1, Language::SimplifiedChinese, image, 0);
    ASSERT_TRUE(rate);
    EXPECT_EQ(rate->text, "报告率切换到1000HZ");
    EXPECT_EQ(rate->title, "Info") << "titles stay English";
    EXPECT_EQ(rate->timeoutMs, 5000);
    const auto lost = balloonFor(StatusCode::NotDetected, 0, Language::TraditionalChinese, image, 0);
    ASSERT_TRUE(lost);
    EXPECT_EQ(lost->title, "Warning");
    EXPECT_LT(lost->timeoutMs, rate->timeoutMs);
    // With no mouse, the next step: the same in the balloon and the tray tip.
    EXPECT_NE(lost->detail.find("varcelctl doctor"), std::string::npos);
    EXPECT_EQ(trayTip(Language::TraditionalChinese, false), "Gaming mouse setting\n" + lost->detail);
    EXPECT_EQ(trayTip(Language::TraditionalChinese, true), "Gaming mouse setting");
    EXPECT_TRUE(rate->detail.empty());
}

} // namespace
} // namespace varcel
