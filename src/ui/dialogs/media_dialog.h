// The multimedia dialog: one of seven media keys.
#pragma once

#include "lang/dialog_strings.h"
#include "lang/ui_strings.h"
#include "ui/dialogs/chooser_dialog.h"

namespace varcel::ui {

class CMediaDialog : public ListKeyDialog<MediaDialogModel> {
    Q_OBJECT
public:
    CMediaDialog(const Skin& skin, Language language, Reporter& reporter, QWidget* parent = nullptr)
        : ListKeyDialog(Dialog::MediaKey, skin, language, reporter, text::kMediaBackgroundFailed,
                        uiString(language, UiString::Multimedia), parent)
    {}
};

} // namespace varcel::ui
