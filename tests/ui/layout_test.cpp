#include "settings/key_page_settings.h"
#include "ui/focus_order.h"
#include "ui/layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace varcel::ui {
namespace {

std::string str(Element e) { return std::string(name(e)); }

std::vector<Element> elementsOf(Page page)
{
    std::vector<Element> out;
    for (int i = 0; i < kElementCount; ++i) {
        const Element e = static_cast<Element>(i);
        if (pageOf(e) == Page::None || pageOf(e) == page)
            out.push_back(e);
    }
    return out;
}

Point centre(const Rect& r) { return {r.x + r.w / 2, r.y + r.h / 2}; }

// A click must reach exactly one element: no two clickable rectangles that are
// on view together may share a pixel, and nothing may sit off the window.
TEST(Layout, ElementsOfAPageNeitherOverlapNorLeaveTheWindow)
{
    for (Page page : {Page::Key, Page::Advanced}) {
        const std::vector<Element> elements = elementsOf(page);
        for (std::size_t i = 0; i < elements.size(); ++i) {
            const Rect a = rect(elements[i]);
            EXPECT_FALSE(a.empty()) << str(elements[i]);
            EXPECT_TRUE(kWindowRect.containsRect(a)) << str(elements[i]);
            for (std::size_t j = i + 1; j < elements.size(); ++j)
                EXPECT_FALSE(a.intersects(rect(elements[j]))) << str(elements[i]) << " and " << str(elements[j]);
        }
    }
}

// Page elements sit on their page's panels; the common ones on the header or
// footer band. An element that drifted off its panel would be drawn over the
// bare background.
TEST(Layout, ElementsSitOnTheirPanelsOrBands)
{
    for (int i = 0; i < kElementCount; ++i) {
        const Element e = static_cast<Element>(i);
        const Rect r = rect(e);
        bool placed = false;
        if (pageOf(e) == Page::None) {
            placed = kHeaderBand.containsRect(r) || kFooterBand.containsRect(r);
        } else {
            for (const Rect& p : panels(pageOf(e)))
                placed = placed || p.containsRect(r);
        }
        EXPECT_TRUE(placed) << str(e);
    }
    for (Page page : {Page::Key, Page::Advanced}) {
        const auto ps = panels(page);
        for (std::size_t i = 0; i < ps.size(); ++i)
            for (std::size_t j = i + 1; j < ps.size(); ++j)
                EXPECT_FALSE(ps[i].intersects(ps[j]));
        for (const Rect& p : ps)
            EXPECT_FALSE(p.intersects(kHeaderBand) || p.intersects(kFooterBand));
    }
}

// Where the window writes text: inside the window, inside the element the
// text belongs to, and never on top of a clickable element it does not belong to.
TEST(Layout, TextsStayInsideTheirElementsAndClearOfOthers)
{
    struct Row {
        TextSpot spot;
        Element owner; // None: free text on the page
        Page page;
        std::string what;
    };
    std::vector<Row> rows;
    for (int b = 0; b < kDropdownBoxes; ++b) {
        rows.push_back({dropdownNumberRect(b), dropdownBox(b), Page::Key, "box number " + std::to_string(b)});
        rows.push_back({dropdownLabelRect(b), dropdownBox(b), Page::Key, "box label " + std::to_string(b)});
    }
    for (int s = 0; s < kDpiStages; ++s) {
        rows.push_back({dpiStageValue(s), dpiStageList(s), Page::Key, "stage value " + std::to_string(s)});
        rows.push_back({dpiStageCaption(s), Element::None, Page::Key, "stage caption " + std::to_string(s)});
    }
    for (Element sel : {Element::LightingMode, Element::LightingParameter, Element::DpiColourStage})
        rows.push_back({selectorTextRect(sel), sel, Page::Key, str(sel) + " text"});
    for (int p = 0; p < kReportRatePositions; ++p)
        rows.push_back({reportRateLabel(p), Element::None, Page::Key, "rate label " + std::to_string(p)});
    for (int r = 0; r < kDpiBarSegments; ++r)
        rows.push_back({dpiScaleLabel(r), Element::None, Page::Key, "DPI scale " + std::to_string(r)});
    for (int b = 0; b < kDpiColourBits; ++b)
        rows.push_back({dpiColourBitLabel(b), Element::None, Page::Key, "bit label " + std::to_string(b)});
    for (int s = 0; s < kPointerSliders; ++s)
        for (int i = 0; i < kPointerSteps; ++i)
            rows.push_back({pointerStepLabel(s, i), Element::None, Page::Advanced,
                            "step label " + std::to_string(s) + "." + std::to_string(i)});
    for (int c = 0; c < static_cast<int>(Caption::Count); ++c) {
        const CaptionSpot& spot = caption(static_cast<Caption>(c));
        for (Page page : {Page::Key, Page::Advanced})
            if (spot.page == Page::None || spot.page == page)
                rows.push_back({spot.spot, Element::None, page, "caption " + std::to_string(c)});
    }

    for (const Row& row : rows) {
        const Rect t = row.spot.rect;
        EXPECT_FALSE(t.empty()) << row.what;
        EXPECT_TRUE(kWindowRect.containsRect(t)) << row.what;
        if (row.owner != Element::None) {
            EXPECT_TRUE(rect(row.owner).containsRect(t)) << row.what;
        }
        for (Element e : elementsOf(row.page)) {
            if (e != row.owner) {
                EXPECT_FALSE(t.intersects(rect(e))) << row.what << " covers " << str(e);
            }
        }
    }
    // The box's number column and its label do not share pixels.
    for (int b = 0; b < kDropdownBoxes; ++b)
        EXPECT_FALSE(dropdownNumberRect(b).rect.intersects(dropdownLabelRect(b).rect));
}

// Child lists are clipped to the window, so every one must fit in it whole.
TEST(Layout, DropDownListsFitTheWindowAndOpenWhereTheyBelong)
{
    for (int b = 0; b < kDropdownBoxes; ++b) {
        const Rect box = rect(dropdownBox(b));
        const Rect list = functionListRect(b);
        EXPECT_TRUE(kWindowRect.containsRect(list)) << "function list " << b;
        // Under its box, or above it where the window ends first.
        EXPECT_TRUE(list.y == box.bottom() || (list.bottom() == box.y && box.bottom() + list.h > kWindowHeight));
        EXPECT_GE(list.h, kFunctionRows * kListRowHeight);

        // The DPI option list: 60 x 60, its corner at the right end of row 6.
        const Rect options = dpiOptionListRect(b);
        EXPECT_EQ(options.w, 60);
        EXPECT_EQ(options.h, 60);
        EXPECT_EQ(options.x, list.right());
        const int row6Top = options.y - list.y - 1;
        EXPECT_EQ(row6Top, 6 * kListRowHeight);
        EXPECT_TRUE(kWindowRect.containsRect(options)) << "DPI option list " << b;
    }
    for (int s = 0; s < kDpiStages; ++s) {
        EXPECT_TRUE(kWindowRect.containsRect(dpiStageListRect(s)));
        EXPECT_GE(dpiStageListRect(s).h, kDpiBarSegments * kListRowHeight);
    }
    EXPECT_GE(lightingModeListRect().h, 3 * kListRowHeight);
    EXPECT_GE(dpiColourStageListRect().h, kDpiStages * kListRowHeight);
    EXPECT_GE(lightingParameterListRect(30).h, kListRowsShown * kListRowHeight); // scrolls through 30 rows
    EXPECT_GE(mouseEventListRect().h, 9 * kListRowHeight);
    for (const Rect& r : {lightingModeListRect(), lightingParameterListRect(30), dpiColourStageListRect(),
                          mouseEventListRect()})
        EXPECT_TRUE(kWindowRect.containsRect(r));
}

// The mouse reports DPI rows that the bars show 18 pixels apart, row 1 at the
// bottom; the pointer sliders step 24 pixels to the right.
TEST(Layout, SliderSegmentsFollowTheirPitch)
{
    for (int s = 0; s < kDpiStages; ++s)
        for (int k = 1; k < kDpiBarSegments; ++k) {
            const Rect lower = rect(dpiBarSegment(s, k - 1));
            const Rect upper = rect(dpiBarSegment(s, k));
            EXPECT_EQ(lower.y - upper.y, 18) << s << "." << k;
            EXPECT_EQ(lower.x, upper.x);
        }
    for (int s = 0; s < kPointerSliders; ++s)
        for (int i = 1; i < kPointerSteps; ++i) {
            EXPECT_EQ(rect(pointerSegment(s, i)).x - rect(pointerSegment(s, i - 1)).x, 24);
            EXPECT_EQ(rect(pointerSegment(s, i)).y, rect(pointerSegment(s, 0)).y);
        }
    // Scale labels line up with their rows.
    for (int r = 0; r < kDpiBarSegments; ++r) {
        const Rect seg = rect(dpiBarSegment(0, r));
        const Rect label = dpiScaleLabel(r).rect;
        EXPECT_EQ(label.y + label.h / 2, seg.y + seg.h / 2) << r;
    }
}

TEST(HitTest, EveryElementIsFoundOnItsOwnPageOnly)
{
    for (int i = 0; i < kElementCount; ++i) {
        const Element e = static_cast<Element>(i);
        const Rect r = rect(e);
        for (Page page : {Page::Key, Page::Advanced}) {
            const bool onView = pageOf(e) == Page::None || pageOf(e) == page;
            for (Point p : {centre(r), Point{r.x, r.y}, Point{r.right() - 1, r.bottom() - 1}}) {
                const Element hit = hitTest(page, p.x, p.y);
                if (onView) {
                    EXPECT_EQ(hit, e) << str(e) << " at " << p.x << "," << p.y << " got " << str(hit);
                } else {
                    EXPECT_NE(hit, e) << str(e) << " hit on the other page";
                }
            }
            // One pixel beyond the corner is no longer the element.
            EXPECT_NE(hitTest(page, r.right(), r.bottom()), e) << str(e);
        }
    }
}

TEST(HitTest, EmptyBackgroundAndMissingRowsHitNothing)
{
    struct Row {
        Page page;
        int x;
        int y;
        int dpiRows;
        Element expected;
    };
    const Rect seg9 = rect(dpiBarSegment(1, 8));
    const Rect seg8 = rect(dpiBarSegment(1, 7));
    const Rect page2 = rect(Element::Page2Button);
    const Rect precision = rect(Element::PrecisionBox);
    const Row rows[] = {
        {Page::Key, 5, 300, kDpiBarSegments, Element::None},            // left window margin
        {Page::Key, 425, 200, kDpiBarSegments, Element::None},          // between the panels
        {Page::Key, 300, 30, kDpiBarSegments, Element::None},           // header, title area
        {Page::Advanced, 5, 300, kDpiBarSegments, Element::None},
        {Page::Key, centre(seg9).x, centre(seg9).y, 8, Element::None},  // eight-row sensor
        {Page::Key, centre(seg8).x, centre(seg8).y, 8, dpiBarSegment(1, 7)},
        {Page::Key, centre(seg9).x, centre(seg9).y, 12, dpiBarSegment(1, 8)},
        {Page::Advanced, centre(page2).x, centre(page2).y, 12, Element::Page2Button},
        {Page::None, centre(precision).x, centre(precision).y, 12, Element::None}, // page being rebuilt
        {Page::None, centre(page2).x, centre(page2).y, 12, Element::Page2Button},
    };
    for (const Row& row : rows)
        EXPECT_EQ(hitTest(row.page, row.x, row.y, row.dpiRows), row.expected)
            << static_cast<int>(row.page) << " " << row.x << "," << row.y;
    EXPECT_NE(hitTest(Page::Key, centre(precision).x, centre(precision).y), Element::PrecisionBox);
}

TEST(Hover, OnlyTheDocumentedElementsChangeUnderThePointer)
{
    std::vector<Element> key;
    std::vector<Element> advanced;
    for (int i = 0; i < kElementCount; ++i) {
        const Element e = static_cast<Element>(i);
        if (isHoverable(e, Page::Key))
            key.push_back(e);
        if (isHoverable(e, Page::Advanced))
            advanced.push_back(e);
    }
    const std::vector<Element> common = {Element::Ok, Element::Apply, Element::SkinButton, Element::MinimiseButton,
                                         Element::CloseButton, Element::Page1Button, Element::Page2Button,
                                         Element::Cancel};
    std::vector<Element> wantKey = common;
    wantKey.push_back(Element::KeyDefault);
    for (int b = 0; b < kDropdownBoxes; ++b)
        wantKey.push_back(dropdownBox(b));
    std::vector<Element> wantAdvanced = common;
    for (Element e : {Element::PointerDefault, Element::MacroNew, Element::MacroDelete, Element::MacroConfirm})
        wantAdvanced.push_back(e);
    EXPECT_EQ(key, wantKey);
    EXPECT_EQ(advanced, wantAdvanced);
    EXPECT_FALSE(isHoverable(Element::ModeA, Page::Key)); // shows the chosen layer instead
    EXPECT_FALSE(isHoverable(Element::None, Page::Key));
}

TEST(Dialogs, PartsFitTheirDialogAndButtonsAreTheSkinsSize)
{
    for (int i = 0; i < static_cast<int>(Dialog::Count); ++i) {
        const DialogLayout& d = dialogLayout(static_cast<Dialog>(i));
        const Rect whole{0, 0, d.width, d.height};
        std::vector<Rect> clickable = {d.ok, d.cancel, d.close, d.face, d.swatch};
        clickable.insert(clickable.end(), d.fields.begin(), d.fields.end());
        clickable.insert(clickable.end(), d.options.begin(), d.options.end());
        std::erase_if(clickable, [](const Rect& r) { return r.empty(); });
        for (std::size_t a = 0; a < clickable.size(); ++a) {
            EXPECT_TRUE(whole.containsRect(clickable[a])) << d.image << " part " << a;
            for (std::size_t b = a + 1; b < clickable.size(); ++b)
                EXPECT_FALSE(clickable[a].intersects(clickable[b])) << d.image << " parts " << a << ", " << b;
        }
        for (const Rect& r : {d.ok, d.cancel}) {
            EXPECT_EQ(r.w, kButtonWidth) << d.image;
            EXPECT_EQ(r.h, kButtonHeight) << d.image;
        }
        EXPECT_EQ(d.close.w, kSmallButtonSize);
        // Every dialog's name is white on its header strip, clear of close.
        EXPECT_TRUE((Rect{0, 0, d.width, kDialogHeaderHeight}).containsRect(d.title.rect)) << d.image;
        EXPECT_FALSE(d.title.rect.intersects(d.close)) << d.image;
        if (!d.list.empty()) {
            EXPECT_TRUE(whole.containsRect(d.list)) << d.image << " list";
            EXPECT_EQ(d.list.y, d.face.bottom()) << d.image;
        }
    }
    // The colour prompt's band: 30 high above the swatch, 30 wider each side.
    const DialogLayout& skins = dialogLayout(Dialog::Skins);
    EXPECT_EQ(skins.prompt.rect, (Rect{skins.swatch.x - 30, skins.swatch.y - 30, skins.swatch.w + 60, 30}));
}

// ---- The painted skins ----------------------------------------------------------

struct PngHeader {
    bool ok = false;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int colourType = -1;
};

PngHeader readPngHeader(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    unsigned char b[26] = {};
    if (!in.read(reinterpret_cast<char*>(b), sizeof b))
        return {};
    const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (!std::equal(std::begin(signature), std::end(signature), b) || std::string(b + 12, b + 16) != "IHDR")
        return {};
    const auto be32 = [&](int at) {
        return std::uint32_t{b[at]} << 24 | std::uint32_t{b[at + 1]} << 16 | std::uint32_t{b[at + 2]} << 8 |
               std::uint32_t{b[at + 3]};
    };
    return {true, be32(16), be32(20), b[25]};
}

std::string contents(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(FocusOrder, EveryElementOfAPageIsOneStopAndEachBarOrSliderOneInAll)
{
    for (Page page : {Page::Key, Page::Advanced}) {
        std::vector<Element> expected;
        for (Element e : elementsOf(page)) {
            const int i = static_cast<int>(e);
            const bool laterSegment = (e >= Element::DpiBarSegmentFirst && e <= Element::DpiBarSegmentLast &&
                                       (i - static_cast<int>(Element::DpiBarSegmentFirst)) % kDpiBarSegments != 0) ||
                                      (e >= Element::PointerSegmentFirst && e <= Element::PointerSegmentLast &&
                                       (i - static_cast<int>(Element::PointerSegmentFirst)) % kPointerSteps != 0);
            if (!laterSegment)
                expected.push_back(e);
        }
        std::vector<Element> stops = focusOrder(page);
        std::sort(stops.begin(), stops.end());
        EXPECT_EQ(stops, expected) << (page == Page::Key ? "key page" : "advanced page");
    }
    // A bar's mark surrounds the rows the sensor has, a slider's all its steps.
    const Rect eight = focusRect(dpiBarSegment(2, 0), kDpiShortList);
    EXPECT_TRUE(eight.containsRect(rect(dpiBarSegment(2, 7))));
    EXPECT_FALSE(eight.intersects(rect(dpiBarSegment(2, 8))));
    EXPECT_TRUE(focusRect(pointerSegment(1, 0), 0).containsRect(rect(pointerSegment(1, 10))));
}

TEST(FocusOrder, DialogStopsAndColoursAreNamedInEachLanguage)
{
    struct Row {
        Dialog dialog;
        DialogPart part;
        int index;
        std::array<const char*, 3> names; // simplified, traditional Chinese, English
    };
    const Row rows[] = {
        {Dialog::SingleKey, DialogPart::Field, 0, {"请输入一个按键", "請輸入一個按鍵", "Please enter a key"}},
        {Dialog::ComboKey, DialogPart::Field, 1, {"按键2", "按鍵2", "Key 2"}},
        {Dialog::ComboKey, DialogPart::Face, 0, {"修饰键", "修飾鍵", "Modifier"}},
        {Dialog::FireKey, DialogPart::Field, 1, {"次数", "次數", "Times"}},
        {Dialog::MediaKey, DialogPart::Face, 0, {"多媒体", "多媒體", "Multimedia"}},
        {Dialog::MacroKey, DialogPart::Option, 1, {"重复直到按任意键结束", "重複直到按任意鍵結束", nullptr}},
        {Dialog::DelayTime, DialogPart::Ok, 0, {"确定", "確定", "OK"}},
        {Dialog::WindowsKey, DialogPart::Close, 0, {"关闭", "關閉", "Close"}},
    };
    const Language languages[] = {Language::SimplifiedChinese, Language::TraditionalChinese, Language::English};
    for (const Row& row : rows)
        for (std::size_t l = 0; l < 3; ++l)
            if (row.names[l]) {
                EXPECT_EQ(dialogStopName(row.dialog, row.part, row.index, languages[l]), row.names[l]);
            }
    // Every stop of every dialog has a name.
    for (int d = 0; d < static_cast<int>(Dialog::Skins); ++d)
        for (const DialogStop& stop : dialogStops(static_cast<Dialog>(d), true))
            EXPECT_FALSE(dialogStopName(static_cast<Dialog>(d), stop.part, 0, Language::English).empty()) << d;

    const std::pair<unsigned, const char*> colours[] = {
        {0xFF8000, "orange"}, {0xFF0000, "red"},   {0xFFFF00, "yellow"}, {0x00FF00, "green"},
        {0x00FFFF, "cyan"},   {0x0000FF, "blue"},  {0x8000FF, "purple"}, {0xFF00FF, "pink"},
        {0xFFFFFF, "white"},  {0x808080, "grey"},  {0x000000, "black"},  {0xF01020, "red"},
    };
    for (const auto& [rgb, name] : colours)
        EXPECT_EQ(colourName(Language::English, rgb), name) << std::hex << rgb;
    EXPECT_EQ(colourName(Language::TraditionalChinese, 0xFF8000), "橙色");
}

TEST(SkinArt, EverySkinHoldsEveryImageAtItsLayoutSize)
{
    const std::filesystem::path root(VARCEL_SKINS_DIR);
    for (const char* skin : {"Dark", "Light"}) {
        for (const SkinImage& image : skinImages()) {
            const std::filesystem::path path = root / skin / std::string(image.file);
            const PngHeader h = readPngHeader(path);
            ASSERT_TRUE(h.ok) << path;
            EXPECT_EQ(h.width, static_cast<std::uint32_t>(image.width)) << path;
            EXPECT_EQ(h.height, static_cast<std::uint32_t>(image.height)) << path;
            EXPECT_EQ(h.colourType, 6) << path << " needs an alpha channel";
        }
        // Both spellings must show the same picture.
        EXPECT_EQ(contents(root / skin / "DropdownBox.png"), contents(root / skin / "dropdownbox.png")) << skin;
    }
    // The two skins really differ.
    EXPECT_NE(contents(root / "Dark" / "BasicSet2.png"), contents(root / "Light" / "BasicSet2.png"));
}

} // namespace
} // namespace varcel::ui
