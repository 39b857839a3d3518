#include "control/pointer_page.h"

#include "platform/reporter.h"
#include "lang/dialog_strings.h"

#include <algorithm>

namespace varcel {

namespace {

constexpr int kSlowestClick = 900;    // ms at position 1
constexpr int kClickStep = 70;        // ms per position
constexpr int kDefaultSpeed = 10;
constexpr std::uint32_t kDefaultLines = 3;
constexpr std::uint32_t kDefaultDoubleClick = 500;
// What "Default" leaves in the image: speed 10, 3 lines, and position 6 of
// the double-click slider (550 ms at the next OK, though 500 was written).
constexpr int kDefaultSpeedPosition = 6;
constexpr int kDefaultLinesPosition = 3;
constexpr int kDefaultDoubleClickPosition = 6;

std::size_t offsetOf(PointerSlider slider)
{
    switch (slider) {
    case PointerSlider::Speed: return img::kPointerSpeed;
    case PointerSlider::Lines: return img::kScrollLines;
    case PointerSlider::DoubleClick: break;
    }
    return img::kDoubleClick;
}

int lowestPosition(PointerSlider slider) { return slider == PointerSlider::Lines ? 0 : 1; }

} // namespace

namespace pointer_map {

int speedValue(int position)
{
    position = std::clamp(position, 1, kSliderSteps);
    return position == 1 ? 1 : 2 * position - 2;
}

int speedPosition(int speed)
{
    return std::clamp(speed / 2 + 1, 1, kSliderSteps);
}

std::uint32_t linesValue(bool oneScreen, int position)
{
    return oneScreen ? kWheelPageScroll : static_cast<std::uint32_t>(std::clamp(position, 0, kSliderSteps));
}

Lines linesPosition(std::uint32_t lines)
{
    if (lines == kWheelPageScroll)
        return {true, 0};
    return {false, static_cast<int>(std::min<std::uint32_t>(lines, kSliderSteps))};
}

std::uint32_t doubleClickValue(int position)
{
    position = std::clamp(position, 1, kSliderSteps);
    return static_cast<std::uint32_t>(kSlowestClick - (position - 1) * kClickStep);
}

int doubleClickPosition(std::uint32_t milliseconds)
{
    // Signed, so that a time above 900 ms comes out below 1 rather than
    // wrapping around to a huge position.
    const long long steps = (static_cast<long long>(kSlowestClick) - milliseconds) / kClickStep;
    return static_cast<int>(std::clamp<long long>(steps + 1, 1, kSliderSteps));
}

MouseParameters mouseParameters(bool precision) { return precision ? kPrecisionOn : kPrecisionOff; }

} // namespace pointer_map

PointerPage::PointerPage(ConfigImage& image, PointerSettings& desktop, Reporter& reporter)
    : m_image(image), m_desktop(desktop), m_reporter(reporter)
{
}

void PointerPage::warn(const char* text) const { m_reporter.messageBox(text, varcel::text::kWarning); }

void PointerPage::build()
{
    if (m_readDesktop)
        return;
    m_readDesktop = true;
    const auto parameters = m_desktop.mouseParameters();
    m_image[img::kPointerPrecision] = parameters && parameters->acceleration != 0 ? 1 : 0;

    const auto speed = m_desktop.speed();
    if (!speed)
        warn(text::kGetMouseSpeedFailed);
    m_image[img::kPointerSpeed] = static_cast<std::uint8_t>(pointer_map::speedPosition(speed.value_or(0)));

    const auto lines = m_desktop.wheelScrollLines();
    if (!lines)
        warn(text::kGetWheelScrollLinesFailed);
    const pointer_map::Lines shown = pointer_map::linesPosition(lines.value_or(0));
    m_image[img::kScrollOneScreen] = shown.oneScreen ? 1 : 0;
    m_image[img::kScrollLines] = static_cast<std::uint8_t>(shown.position);

    const std::uint32_t time = m_desktop.doubleClickTime();
    if (time == 0)
        warn(text::kGetDoubleClickTimeFailed);
    m_image[img::kDoubleClick] = static_cast<std::uint8_t>(pointer_map::doubleClickPosition(time));
}

bool PointerPage::precision() const { return m_image[img::kPointerPrecision] != 0; }
bool PointerPage::oneScreen() const { return m_image[img::kScrollOneScreen] != 0; }

int PointerPage::position(PointerSlider slider) const
{
    return std::clamp<int>(m_image[offsetOf(slider)], lowestPosition(slider), kSliderSteps);
}

void PointerPage::togglePrecision() { m_image[img::kPointerPrecision] = precision() ? 0 : 1; }
void PointerPage::toggleOneScreen() { m_image[img::kScrollOneScreen] = oneScreen() ? 0 : 1; }

void PointerPage::setPosition(PointerSlider slider, int position)
{
    if (position < 1 || position > kSliderSteps)
        return;
    m_image[offsetOf(slider)] = static_cast<std::uint8_t>(position);
}

void PointerPage::writeDesktop(const MouseParameters& parameters, int speed, std::uint32_t lines,
                               std::uint32_t doubleClick)
{
    if (!m_desktop.setMouseParameters(parameters))
        warn(text::kSetMouseFailed);
    if (!m_desktop.setSpeed(speed))
        warn(text::kSetMouseSpeedFailed);
    if (!m_desktop.setWheelScrollLines(lines))
        warn(text::kSetWheelScrollLinesFailed);
    if (!m_desktop.setDoubleClickTime(doubleClick))
        warn(text::kSetDoubleClickTimeFailed);
}

void PointerPage::restoreDefaults()
{
    writeDesktop(kPrecisionOff, kDefaultSpeed, kDefaultLines, kDefaultDoubleClick);
    m_image[img::kPointerPrecision] = 0;
    m_image[img::kScrollOneScreen] = 0;
    m_image[img::kPointerSpeed] = kDefaultSpeedPosition;
    m_image[img::kScrollLines] = kDefaultLinesPosition;
    m_image[img::kDoubleClick] = kDefaultDoubleClickPosition;
}

bool PointerPage::apply()
{
    if (!m_readDesktop)
        return false;
    writePositions();
    return true;
}

void PointerPage::writePositions()
{
    writeDesktop(pointer_map::mouseParameters(precision()), pointer_map::speedValue(position(PointerSlider::Speed)),
                 pointer_map::linesValue(oneScreen(), position(PointerSlider::Lines)),
                 pointer_map::doubleClickValue(position(PointerSlider::DoubleClick)));
}

} // namespace varcel
