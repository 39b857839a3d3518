// The multimedia dialog: one of seven media keys.
#pragma once

#include "ui/dialogs/chooser_dialog.h"

namespace varcel::ui {

class CMediaDialog : public ListKeyDialog<MediaDialogModel> {
    Q_OBJECT
public:
    CMediaDialog(const Skin& skin, Language language, Reporter& reporter, QWidget* parent = nullptr);
};

} // namespace varcel::ui
