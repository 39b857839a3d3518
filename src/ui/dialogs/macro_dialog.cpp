#include "ui/dialogs/macro_dialog.h"

#include "lang/dialog_strings.h"
#include "lang/ui_strings.h"

#include <QPainter>

namespace varcel::ui {

CMacroDialog::CMacroDialog(std::vector<std::string> macroNames, const Skin& skin, Language language,
                           Reporter& reporter, QWidget* parent)
    : ChooserDialog(Dialog::MacroKey, skin, language, reporter, text::kMacroKeyBackgroundFailed, m_model, parent),
      m_model(std::move(macroNames))
{
    setTitle(uiString(language, UiString::MacroKey));
    if (hasBackground())
        buildFace();
}

void CMacroDialog::clickAt(const QPoint& pos)
{
    const DialogLayout& l = layout();
    for (int i = 0; i < 3; ++i) {
        // The option's text is part of its click area, as with any check box.
        const Rect& box = l.options[static_cast<std::size_t>(i)];
        const Rect& text = l.optionTexts[static_cast<std::size_t>(i)].rect;
        if (box.contains(pos.x(), pos.y()) || text.contains(pos.x(), pos.y())) {
            m_model.chooseOption(i + 1);
            update();
            return;
        }
    }
    ChooserDialog::clickAt(pos);
}

void CMacroDialog::paintContents(QPainter& painter)
{
    const DialogLayout& l = layout();
    drawText(painter, l.prompt, qs(text::kMacroKeyHeading(language())), textColour());
    const LangText* options[] = {&text::kMacroKeyOption1, &text::kMacroKeyOption2, &text::kMacroKeyOption3};
    for (int i = 0; i < 3; ++i) {
        const Rect& box = l.options[static_cast<std::size_t>(i)];
        const bool chosen = m_model.repeatOption() == i + 1;
        // One choice of three: round option boxes, or the check boxes in a
        // skin that has none.
        if (!skin().drawImage(painter, QString::fromLatin1(chosen ? kRadioChosenImage : kRadioImage), box.x, box.y))
            skin().drawImage(painter, chosen ? QStringLiteral("PaneMakingTick.png") : QStringLiteral("Pane.png"),
                             box.x, box.y);
        // A long option wraps in its place rather than shrinking.
        drawText(painter, l.optionTexts[static_cast<std::size_t>(i)], qs((*options[i])(language())), textColour(),
                 Qt::TextWordWrap);
    }
}

} // namespace varcel::ui
