// The pointer block of the advanced page, everything but the drawing: three
// sliders of 11 steps ("Mouse Speed", "Scrolling Speed", "Double-Click
// Speed"), the check boxes "Enhance Pointer Precision" and "Scroll One
// Screen", and "Default". The positions live in five bytes of the working
// image; the desktop gets them on OK and Apply, and "Default" writes the
// defaults to the desktop at once.
#pragma once

#include "device/config_image.h"
#include "platform/pointer_settings.h"

#include <cstdint>

namespace varcel {

class Reporter;

// Fixed English messages of a failing query or update, caption "Warning".
namespace text {
inline constexpr const char* kGetMouseSpeedFailed = "GETMOUSESPEED failed.";
inline constexpr const char* kGetWheelScrollLinesFailed = "GETWHEELSCROLLLINES failed.";
inline constexpr const char* kGetDoubleClickTimeFailed = "GetDoubleClickTime failed.";
inline constexpr const char* kSetMouseFailed = "SETMOUSE failed.";
inline constexpr const char* kSetMouseSpeedFailed = "SETMOUSESPEED failed.";
inline constexpr const char* kSetWheelScrollLinesFailed = "SETWHEELSCROLLLINES failed.";
inline constexpr const char* kSetDoubleClickTimeFailed = "SPI_SETDOUBLECLICKTIME failed.";
} // namespace text

enum class PointerSlider { Speed = 1, Lines = 2, DoubleClick = 3 };

inline constexpr int kSliderSteps = 11;

// Slider positions and the desktop's values. Values the sliders cannot show
// (more than 11 lines, a double-click time outside 200 to 900 ms, a speed
// outside 1 to 20) are clamped onto the scale.
namespace pointer_map {
int speedValue(int position);                 // 1 → 1, p → 2p − 2 (2, 4, …, 20)
int speedPosition(int speed);                 // speed / 2 + 1
std::uint32_t linesValue(bool oneScreen, int position);
struct Lines {
    bool oneScreen = false;
    int position = 0; // 0 to 11
};
Lines linesPosition(std::uint32_t lines);
std::uint32_t doubleClickValue(int position); // 900 − (p − 1) × 70 (900, 830, …, 200)
int doubleClickPosition(std::uint32_t milliseconds); // (900 − time) / 70 + 1
MouseParameters mouseParameters(bool precision);
} // namespace pointer_map

class PointerPage {
public:
    PointerPage(ConfigImage& image, PointerSettings& desktop, Reporter& reporter);

    // The page is shown: the first time in the process the desktop's values
    // replace the image's; later the image's positions are shown.
    void build();

    bool precision() const;
    bool oneScreen() const;
    // 1 to 11 (lines 0 to 11), whatever a hand-edited config.bin holds.
    int position(PointerSlider slider) const;

    void togglePrecision();
    void toggleOneScreen();
    // A click on segment 1 to 11 of a slider.
    void setPosition(PointerSlider slider, int position);
    // "Default": the desktop gets its defaults at once (Cancel does not take
    // them back), and the image the positions standing for them.
    void restoreDefaults();

    // OK and Apply, after the mouse took the configuration: the image's
    // positions go to the desktop. Until the page has read the desktop in
    // this process the image only holds what config.bin remembered, and the
    // user has not seen it; it is not applied then, so a DPI change does not
    // reset settings the user made in the desktop's own panel meanwhile.
    // Returns whether anything was written.
    bool apply();
    // The image's positions to the desktop, whether or not the page was shown
    // (varcelctl pointer apply, which the user asks for by name).
    void writePositions();

    PointerSettings& desktop() { return m_desktop; }

private:
    void warn(const char* text) const;
    void writeDesktop(const MouseParameters& parameters, int speed, std::uint32_t lines, std::uint32_t doubleClick);

    ConfigImage& m_image;
    PointerSettings& m_desktop;
    Reporter& m_reporter;
    bool m_readDesktop = false;
};

} // namespace varcel
