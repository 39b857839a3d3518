#include "ui/dialogs/media_dialog.h"

#include "lang/dialog_strings.h"
#include "lang/ui_strings.h"

namespace varcel::ui {

CMediaDialog::CMediaDialog(const Skin& skin, Language language, Reporter& reporter, QWidget* parent)
    : ChooserDialog(Dialog::MediaKey, skin, language, reporter, text::kMediaBackgroundFailed, m_model, parent),
      m_model(language)
{
    setTitle(uiString(language, UiString::Multimedia));
    if (hasBackground())
        buildFace();
}

std::optional<MultimediaChoice> CMediaDialog::run()
{
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    MultimediaChoice choice = m_model.result();
    // Without its background the dialog never showed a name.
    if (!hasBackground())
        choice.name.clear();
    return choice;
}

} // namespace varcel::ui
