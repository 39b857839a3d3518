#include "ui/dialogs/macro_dialog.h"

#include "lang/dialog_strings.h"

#include <QPainter>

namespace varcel::ui {

CMacroDialog::CMacroDialog(std::vector<std::string> macroNames, const Skin& skin, Language language,
                           Reporter& reporter, QWidget* parent)
    : ChooserDialog(Dialog::MacroKey, skin, language, reporter, text::kMacroKeyBackgroundFailed, m_model, parent),
      m_model(std::move(macroNames))
{
    setWindowTitle(QStringLiteral("Macro Key"));
    if (hasBackground())
        buildFace();
}

std::optional<MacroKeyChoice> CMacroDialog::run()
{
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return m_model.result();
}

QPoint CMacroDialog::optionPoint(int option) const
{
    const Rect& r = layout().options.at(static_cast<std::size_t>(option - 1));
    return {r.x + r.w / 2, r.y + r.h / 2};
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
    drawText(painter, l.prompt, QString::fromUtf8(text::kMacroKeyHeading(language())), textColour());
    const LangText* options[] = {&text::kMacroKeyOption1, &text::kMacroKeyOption2, &text::kMacroKeyOption3};
    for (int i = 0; i < 3; ++i) {
        const Rect& box = l.options[static_cast<std::size_t>(i)];
        skin().drawImage(painter, m_model.repeatOption() == i + 1 ? QStringLiteral("PaneMakingTick.png")
                                                                   : QStringLiteral("Pane.png"),
                         box.x, box.y);
        drawText(painter, l.optionTexts[static_cast<std::size_t>(i)],
                 QString::fromUtf8((*options[i])(language())), textColour());
    }
}

} // namespace varcel::ui
