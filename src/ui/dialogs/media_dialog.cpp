#include "ui/dialogs/media_dialog.h"

#include "lang/dialog_strings.h"
#include "lang/ui_strings.h"

namespace varcel::ui {

CMediaDialog::CMediaDialog(const Skin& skin, Language language, Reporter& reporter, QWidget* parent)
    : ListKeyDialog(Dialog::MediaKey, skin, language, reporter, text::kMediaBackgroundFailed,
                    uiString(language, UiString::Multimedia), parent)
{}

} // namespace varcel::ui
