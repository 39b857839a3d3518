#include "ui/dialogs/windows_dialog.h"

#include "lang/dialog_strings.h"
#include "lang/ui_strings.h"

namespace varcel::ui {

CWindowsDialog::CWindowsDialog(const Skin& skin, Language language, Reporter& reporter, QWidget* parent)
    : ChooserDialog(Dialog::WindowsKey, skin, language, reporter, text::kWindowsBackgroundFailed, m_model, parent),
      m_model(language)
{
    setTitle(uiString(language, UiString::Windows));
    if (hasBackground())
        buildFace();
}

std::optional<ApplicationKeyChoice> CWindowsDialog::run()
{
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    ApplicationKeyChoice choice = m_model.result();
    // Without its background the dialog never showed a name.
    if (!hasBackground())
        choice.name.clear();
    return choice;
}

} // namespace varcel::ui
