// The application-key dialog: one of eleven application and browser keys.
#pragma once

#include "lang/dialog_strings.h"
#include "lang/ui_strings.h"
#include "ui/dialogs/chooser_dialog.h"

namespace varcel::ui {

class CWindowsDialog : public ListKeyDialog<WindowsDialogModel> {
    Q_OBJECT
public:
    CWindowsDialog(const Skin& skin, Language language, Reporter& reporter, QWidget* parent = nullptr)
        : ListKeyDialog(Dialog::WindowsKey, skin, language, reporter, text::kWindowsBackgroundFailed,
                        uiString(language, UiString::Windows), parent)
    {}
};

} // namespace varcel::ui
