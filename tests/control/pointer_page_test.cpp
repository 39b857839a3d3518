// The pointer block of the advanced page: the mapping between the sliders and
// the desktop's values, the first read, OK/Apply, "Default" and the messages
// of failing queries and updates.
#include "control/pointer_page.h"
#include "platform/reporter.h"

#include <gtest/gtest.h>

namespace varcel {
namespace {

// A desktop that keeps what it is given and fails where told to.
struct FakeDesktop : PointerSettings {
    const char* name() const override { return "fake"; }
    bool reachesDesktop(PointerSetting) const override { return true; }
    std::string describe() const override { return "fake"; }
    std::optional<MouseParameters> mouseParameters() override
    {
        return failGetMouse ? std::nullopt : std::optional(parameters);
    }
    std::optional<int> speed() override { return failGetSpeed ? std::nullopt : std::optional(speedValue); }
    std::optional<std::uint32_t> wheelScrollLines() override
    {
        return failGetLines ? std::nullopt : std::optional(lines);
    }
    std::uint32_t doubleClickTime() override { return doubleClick; }
    bool setMouseParameters(const MouseParameters& p) override
    {
        log.push_back("mouse " + std::to_string(p.threshold1) + "," + std::to_string(p.threshold2) + "," +
                      std::to_string(p.acceleration));
        return !failSet;
    }
    bool setSpeed(int s) override
    {
        log.push_back("speed " + std::to_string(s));
        return !failSet;
    }
    bool setWheelScrollLines(std::uint32_t l) override
    {
        log.push_back("lines " + std::to_string(l));
        return !failSet;
    }
    bool setDoubleClickTime(std::uint32_t ms) override
    {
        log.push_back("double-click " + std::to_string(ms));
        return !failSet;
    }

    MouseParameters parameters = kPrecisionOn;
    int speedValue = 10;
    std::uint32_t lines = 3;
    std::uint32_t doubleClick = 500;
    bool failGetMouse = false, failGetSpeed = false, failGetLines = false, failSet = false;
    std::vector<std::string> log;
};

struct Rig {
    ConfigImage image{};
    FakeDesktop desktop;
    RecordingReporter reporter;
    PointerPage page{image, desktop, reporter};
    int pos(PointerSlider s) const { return page.position(s); }
};

TEST(PointerPage, DesktopValuesReadOntoTheSlidersAndAppliedBack)
{
    struct Row {
        int speed;
        std::uint32_t lines;
        std::uint32_t doubleClick;
        int speedPos, linesPos, clickPos;
        bool oneScreen;
        // What OK then gives the desktop.
        int speedBack;
        std::uint32_t linesBack, clickBack;
    };
    const Row rows[] = {
        {10, 3, 500, 6, 3, 6, false, 10, 3, 550},
        {3, 1, 900, 2, 1, 1, false, 2, 1, 900},
        {1, 11, 200, 1, 11, 11, false, 1, 11, 200},
        {20, kWheelPageScroll, 830, 11, 0, 2, true, 20, kWheelPageScroll, 830},
        // Values the sliders cannot show are clamped, never wrapped.
        {25, 40, 1200, 11, 11, 1, false, 20, 11, 900},
        {0, 0, 100, 1, 0, 11, false, 1, 0, 200},
    };
    for (const Row& row : rows) {
        Rig rig;
        rig.desktop.speedValue = row.speed;
        rig.desktop.lines = row.lines;
        rig.desktop.doubleClick = row.doubleClick;
        rig.page.build();
        const std::string at = "speed " + std::to_string(row.speed) + ", lines " + std::to_string(row.lines) +
                               ", double-click " + std::to_string(row.doubleClick);
        EXPECT_EQ(rig.pos(PointerSlider::Speed), row.speedPos) << at;
        EXPECT_EQ(rig.pos(PointerSlider::Lines), row.linesPos) << at;
        EXPECT_EQ(rig.pos(PointerSlider::DoubleClick), row.clickPos) << at;
        EXPECT_EQ(rig.page.oneScreen(), row.oneScreen) << at;
        EXPECT_EQ(rig.image[img::kDoubleClick], row.clickPos) << at;
        ASSERT_TRUE(rig.page.apply());
        EXPECT_EQ(rig.desktop.log,
                  (std::vector<std::string>{"mouse 6,10,1", "speed " + std::to_string(row.speedBack),
                                            "lines " + std::to_string(row.linesBack),
                                            "double-click " + std::to_string(row.clickBack)}))
            << at;
        EXPECT_TRUE(rig.reporter.messages.empty()) << at;
    }
}

TEST(PointerPage, PositionsApplyByTheTable)
{
    Rig rig;
    rig.page.build();
    struct Row {
        int position;
        int speed;
        std::uint32_t doubleClick;
    };
    for (const Row row : {Row{1, 1, 900}, Row{2, 2, 830}, Row{6, 10, 550}, Row{10, 18, 270}, Row{11, 20, 200}}) {
        rig.desktop.log.clear();
        rig.page.setPosition(PointerSlider::Speed, row.position);
        rig.page.setPosition(PointerSlider::DoubleClick, row.position);
        rig.page.setPosition(PointerSlider::Lines, row.position);
        rig.page.apply();
        EXPECT_EQ(rig.desktop.log[1], "speed " + std::to_string(row.speed));
        EXPECT_EQ(rig.desktop.log[2], "lines " + std::to_string(row.position));
        EXPECT_EQ(rig.desktop.log[3], "double-click " + std::to_string(row.doubleClick));
    }
    // Outside the slider: ignored.
    rig.page.setPosition(PointerSlider::Speed, 12);
    rig.page.setPosition(PointerSlider::Speed, 0);
    EXPECT_EQ(rig.pos(PointerSlider::Speed), 11);
}

TEST(PointerPage, CheckBoxesReadAndApplied)
{
    Rig rig;
    rig.desktop.parameters = {6, 10, 0}; // thresholds without acceleration: precision off
    rig.desktop.lines = kWheelPageScroll;
    rig.page.build();
    EXPECT_FALSE(rig.page.precision());
    EXPECT_TRUE(rig.page.oneScreen());
    EXPECT_EQ(rig.pos(PointerSlider::Lines), 0);

    // With the box ticked one screen goes out whatever the slider shows.
    rig.page.setPosition(PointerSlider::Lines, 5);
    rig.page.apply();
    EXPECT_EQ(rig.desktop.log[0], "mouse 0,0,0");
    EXPECT_EQ(rig.desktop.log[2], "lines 4294967295");

    rig.desktop.log.clear();
    rig.page.togglePrecision();
    rig.page.toggleOneScreen();
    rig.page.apply();
    EXPECT_EQ(rig.desktop.log[0], "mouse 6,10,1");
    EXPECT_EQ(rig.desktop.log[2], "lines 5");
    EXPECT_EQ(rig.image[img::kPointerPrecision], 1);
    EXPECT_EQ(rig.image[img::kScrollOneScreen], 0);
}

TEST(PointerPage, TheDesktopIsReadOnceAndNotAppliedUnread)
{
    Rig rig;
    rig.image[img::kPointerSpeed] = 9;
    EXPECT_FALSE(rig.page.apply());
    EXPECT_TRUE(rig.desktop.log.empty());

    rig.page.build();
    EXPECT_EQ(rig.pos(PointerSlider::Speed), 6);
    rig.page.setPosition(PointerSlider::Speed, 2);
    rig.desktop.speedValue = 20;
    rig.page.build(); // shown again: the image's positions stay
    EXPECT_EQ(rig.pos(PointerSlider::Speed), 2);
}

TEST(PointerPage, DefaultWritesTheDesktopAtOnce)
{
    Rig rig;
    rig.desktop.parameters = kPrecisionOn;
    rig.desktop.lines = kWheelPageScroll;
    rig.page.build();
    rig.page.setPosition(PointerSlider::Speed, 11);
    rig.page.restoreDefaults();
    EXPECT_EQ(rig.desktop.log,
              (std::vector<std::string>{"mouse 0,0,0", "speed 10", "lines 3", "double-click 500"}));
    EXPECT_FALSE(rig.page.precision());
    EXPECT_FALSE(rig.page.oneScreen());
    EXPECT_EQ(rig.pos(PointerSlider::Speed), 6);
    EXPECT_EQ(rig.pos(PointerSlider::Lines), 3);
    EXPECT_EQ(rig.pos(PointerSlider::DoubleClick), 6);
    // Position 6 stands for 550 ms at the next OK.
    rig.desktop.log.clear();
    rig.page.apply();
    EXPECT_EQ(rig.desktop.log[3], "double-click 550");
}

TEST(PointerPage, EveryFailingQueryAndUpdateIsToldAndTheRestGoesOn)
{
    Rig rig;
    rig.desktop.failGetMouse = rig.desktop.failGetSpeed = rig.desktop.failGetLines = true;
    rig.desktop.doubleClick = 0;
    rig.page.build();
    using M = RecordingReporter::Message;
    EXPECT_EQ(rig.reporter.messages,
              (std::vector<M>{{"GETMOUSESPEED failed.", "Warning"},
                              {"GETWHEELSCROLLLINES failed.", "Warning"},
                              {"GetDoubleClickTime failed.", "Warning"}}));
    // What could not be read counts as 0: precision off, the slowest speed,
    // no lines, and a time of 0 clamped onto the fastest double-click.
    EXPECT_FALSE(rig.page.precision());
    EXPECT_EQ(rig.pos(PointerSlider::Speed), 1);
    EXPECT_EQ(rig.pos(PointerSlider::Lines), 0);
    EXPECT_EQ(rig.pos(PointerSlider::DoubleClick), 11);

    rig.reporter.messages.clear();
    rig.desktop.failSet = true;
    rig.page.apply();
    EXPECT_EQ(rig.desktop.log.size(), 4u);
    EXPECT_EQ(rig.reporter.messages,
              (std::vector<M>{{"SETMOUSE failed.", "Warning"},
                              {"SETMOUSESPEED failed.", "Warning"},
                              {"SETWHEELSCROLLLINES failed.", "Warning"},
                              {"SPI_SETDOUBLECLICKTIME failed.", "Warning"}}));
}

TEST(PointerPage, AHandEditedImageIsShownAndAppliedWithinTheSliders)
{
    Rig rig;
    rig.page.build();
    rig.image[img::kPointerSpeed] = 0;
    rig.image[img::kScrollLines] = 200;
    rig.image[img::kDoubleClick] = 77;
    EXPECT_EQ(rig.pos(PointerSlider::Speed), 1);
    EXPECT_EQ(rig.pos(PointerSlider::Lines), 11);
    EXPECT_EQ(rig.pos(PointerSlider::DoubleClick), 11);
    rig.page.apply();
    EXPECT_EQ(rig.desktop.log,
              (std::vector<std::string>{"mouse 6,10,1", "speed 1", "lines 11", "double-click 200"}));
}

} // namespace
} // namespace varcel
