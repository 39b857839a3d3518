// The macro-key dialog: which macro of record.ini a button plays, and how it
// repeats.
#pragma once

#include "ui/dialogs/chooser_dialog.h"

#include <string>
#include <vector>

namespace varcel::ui {

class CMacroDialog : public ChooserDialog {
    Q_OBJECT
public:
    // `macroNames`: the section names of record.ini in file order.
    CMacroDialog(std::vector<std::string> macroNames, const Skin& skin, Language language, Reporter& reporter,
                 QWidget* parent = nullptr);

    // Runs the dialog: position, repeat option and name when confirmed,
    // nothing when cancelled.
    std::optional<MacroKeyChoice> run() { return confirmed([this] { return m_model.result(); }); }
    const MacroKeyDialogModel& model() const { return m_model; }
    // The click position of repeat option 1, 2 or 3.
    QPoint optionPoint(int option) const { return middle(layout().options.at(static_cast<std::size_t>(option - 1))); }
    bool optionChecked(int option) const override { return m_model.repeatOption() == option + 1; }

protected:
    void paintContents(QPainter& painter) override;
    void clickAt(const QPoint& pos) override;

private:
    MacroKeyDialogModel m_model;
};

} // namespace varcel::ui
