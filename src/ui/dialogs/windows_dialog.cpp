#include "ui/dialogs/windows_dialog.h"

#include "lang/dialog_strings.h"
#include "lang/ui_strings.h"

namespace varcel::ui {

CWindowsDialog::CWindowsDialog(const Skin& skin, Language language, Reporter& reporter, QWidget* parent)
    : ListKeyDialog(Dialog::WindowsKey, skin, language, reporter, text::kWindowsBackgroundFailed,
                    uiString(language, UiString::Windows), parent)
{}

} // namespace varcel::ui
