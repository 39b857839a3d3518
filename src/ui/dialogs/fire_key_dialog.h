// The fire-key dialog: the key or mouse button the mouse repeats, how fast
// and how many times.
#pragma once

#include "ui/dialogs/chooser_dialog.h"

class QLineEdit;

namespace varcel::ui {

class CFireKeyDialog : public ChooserDialog {
    Q_OBJECT
public:
    CFireKeyDialog(const Skin& skin, Language language, Reporter& reporter, QWidget* parent = nullptr);

    // Runs the dialog: row, name, speed and times when confirmed, nothing when cancelled.
    std::optional<FireKeyChoice> run() { return confirmedChoice(m_model); }
    const FireKeyDialogModel& model() const { return m_model; }
    QLineEdit* speedField() const { return m_speed; }
    QLineEdit* timesField() const { return m_times; }

protected:
    void paintContents(QPainter& painter) override;
    void chooserChanged() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void done(int result) override;

private:
    void speedLeft();

    FireKeyDialogModel m_model;
    QLineEdit* m_speed = nullptr;
    QLineEdit* m_times = nullptr;
};

} // namespace varcel::ui
