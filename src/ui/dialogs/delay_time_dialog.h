// The delay dialog of the macro page: one field for a pause in milliseconds.
#pragma once

#include "macros/delay_time.h"
#include "ui/dialogs/skinned_dialog.h"

#include <string>

class QLineEdit;

namespace varcel::ui {

class CDelayTimeDialog : public SkinnedDialog {
    Q_OBJECT
public:
    CDelayTimeDialog(const Skin& skin, Language language, Reporter& reporter, QWidget* parent = nullptr);

    // Runs the dialog: the field's text when confirmed, nothing when cancelled.
    std::optional<std::string> run() { return confirmed([this] { return m_field.text(); }); }

    // Opens showing the pause being edited (its digits), all selected so
    // that typing replaces it.
    void showPause(const std::string& entry);

    const DelayTimeField& value() const { return m_field; }
    QLineEdit* field() const { return m_edit; }

protected:
    void paintContents(QPainter& painter) override;

private:
    DelayTimeField m_field;
    QLineEdit* m_edit = nullptr;
};

} // namespace varcel::ui
