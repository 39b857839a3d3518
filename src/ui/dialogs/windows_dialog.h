// The application-key dialog: one of eleven application and browser keys.
#pragma once

#include "ui/dialogs/chooser_dialog.h"

#include <optional>

namespace varcel::ui {

class CWindowsDialog : public ChooserDialog {
    Q_OBJECT
public:
    CWindowsDialog(const Skin& skin, Language language, Reporter& reporter, QWidget* parent = nullptr);

    // Runs the dialog: the chosen row and its name when confirmed, nothing when cancelled.
    std::optional<ApplicationKeyChoice> run();
    const WindowsDialogModel& model() const { return m_model; }

private:
    WindowsDialogModel m_model;
};

} // namespace varcel::ui
