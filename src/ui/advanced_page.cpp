#include "ui/advanced_page.h"

#include "lang/ui_strings.h"
#include "ui/main_window.h"

#include <QPainter>

namespace varcel::ui {

void AdvancedPage::draw(QPainter& painter)
{
    const Language lang = m_window.language();
    const ConfigImage& image = m_window.controller().config().working();
    Skin& skin = m_window.skin();
    const QFont& font = m_window.font();
    const QColor text = skin.textColour();
    skin.drawImage(painter, QStringLiteral("AdvancedSet2.png"), 0, 0);
    m_window.drawText(painter, caption(Caption::PageTitle).spot, qs(uiString(lang, UiString::AdvancedSettings)),
                      m_window.titleFont(), Qt::white);
    const std::pair<Caption, UiString> captions[] = {
        {Caption::MouseSpeed, UiString::MouseSpeed},
        {Caption::ScrollingSpeed, UiString::ScrollingSpeed},
        {Caption::DoubleClickSpeed, UiString::DoubleClickSpeed},
        {Caption::PrecisionLabel, UiString::EnhancePointerPrecision},
        {Caption::OneScreenLabel, UiString::ScrollOneScreen},
        {Caption::MacroSetting, UiString::MacroSetting},
        {Caption::SelectMacro, UiString::SelectMacro},
        {Caption::KeyPressSequence, UiString::KeyPressSequence},
        {Caption::RecordOption, UiString::RecordOption},
        {Caption::MacroName, UiString::MacroName},
        {Caption::LoopTimes, UiString::LoopTimes},
        {Caption::InsertMouseEvent, UiString::InsertAMouseEvent},
    };
    for (const auto& [where, what] : captions)
        m_window.drawText(painter, caption(where).spot, qs(uiString(lang, what)), font, text);
    m_window.drawCommon(painter);
    for (Element e : {Element::PointerDefault, Element::MacroNew, Element::MacroDelete, Element::MacroConfirm,
                      Element::StartRecording, Element::StopRecording})
        m_window.drawElement(painter, e, false);
    for (auto [box, offset] : {std::pair{Element::PrecisionBox, img::kPointerPrecision},
                               std::pair{Element::OneScreenBox, img::kScrollOneScreen}}) {
        const Rect r = ui::rect(box);
        skin.drawImage(painter, image[offset] == 1 ? QStringLiteral("PaneMakingTick.png") : QStringLiteral("Pane.png"),
                       r.x, r.y);
    }
    const std::size_t sliders[kPointerSliders] = {img::kPointerSpeed, img::kScrollLines, img::kDoubleClick};
    for (int slider = 0; slider < kPointerSliders; ++slider) {
        const int value = image[sliders[slider]];
        for (int step = 0; step < kPointerSteps; ++step) {
            const Rect r = ui::rect(pointerSegment(slider, step));
            skin.drawImage(painter, step < value ? QStringLiteral("slider-light.png") : QStringLiteral("slider-dark.png"),
                           r.x, r.y);
            m_window.drawText(painter, pointerStepLabel(slider, step), QString::number(step + 1), font, text);
        }
    }
}

bool AdvancedPage::click(Element hit) { return hit != Element::None; }

} // namespace varcel::ui
