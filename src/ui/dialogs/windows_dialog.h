// The application-key dialog: one of eleven application and browser keys.
#pragma once

#include "ui/dialogs/chooser_dialog.h"

namespace varcel::ui {

class CWindowsDialog : public ListKeyDialog<WindowsDialogModel> {
    Q_OBJECT
public:
    CWindowsDialog(const Skin& skin, Language language, Reporter& reporter, QWidget* parent = nullptr);
};

} // namespace varcel::ui
