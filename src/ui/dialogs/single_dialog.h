// The single-key dialog: any key pressed names the button's key.
#pragma once

#include "buttons/dialog_models.h"
#include "ui/dialogs/skinned_dialog.h"

class QLabel;

namespace varcel::ui {

class CSingleDialog : public SkinnedDialog {
    Q_OBJECT
public:
    CSingleDialog(const Skin& skin, Language language, Reporter& reporter, QWidget* parent = nullptr);

    // Runs the dialog: the captured key name when confirmed, nothing when cancelled.
    std::optional<SingleKeyChoice> run() { return confirmed([this] { return m_model.result(); }); }

    const SingleKeyDialogModel& model() const { return m_model; }
    QLabel* nameField() const { return m_name; }

protected:
    void paintContents(QPainter& painter) override;

private:
    SingleKeyDialogModel m_model;
    QLabel* m_name = nullptr;
};

} // namespace varcel::ui
