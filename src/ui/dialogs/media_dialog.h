// The multimedia dialog: one of seven media keys.
#pragma once

#include "ui/dialogs/chooser_dialog.h"

#include <optional>

namespace varcel::ui {

class CMediaDialog : public ChooserDialog {
    Q_OBJECT
public:
    CMediaDialog(const Skin& skin, Language language, Reporter& reporter, QWidget* parent = nullptr);

    // Runs the dialog: the chosen row and its name when confirmed, nothing when cancelled.
    std::optional<MultimediaChoice> run();
    const MediaDialogModel& model() const { return m_model; }

private:
    MediaDialogModel m_model;
};

} // namespace varcel::ui
