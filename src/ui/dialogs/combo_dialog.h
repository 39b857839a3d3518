// The combination-key dialog: a modifier from a list and up to two keys,
// each captured into the key field the user clicked into.
#pragma once

#include "buttons/dialog_models.h"
#include "ui/dialogs/skinned_dialog.h"

class QLabel;
class QLineEdit;

namespace varcel::ui {

class CComboDialog : public SkinnedDialog {
    Q_OBJECT
public:
    CComboDialog(const Skin& skin, Language language, Reporter& reporter, QWidget* parent = nullptr);

    // Runs the dialog: modifier, key 1 and key 2 when confirmed, nothing when cancelled.
    std::optional<ComboKeyChoice> run() { return confirmed([this] { return m_model.result(); }); }

    const ComboKeyDialogModel& model() const { return m_model; }
    QLabel* modifierField() const { return m_modifier; }
    QLineEdit* keyField(int index) const { return index == 0 ? m_key1 : m_key2; }
    QPoint modifierPoint() const { return middle(layout().face); }

protected:
    void paintContents(QPainter& painter) override;
    void clickAt(const QPoint& pos) override;
    void listClosed() override;

private:
    void keyEvent(const CapturedKey& key);
    void syncFields();

    ComboKeyDialogModel m_model;
    QLabel* m_modifier = nullptr;
    QLineEdit* m_key1 = nullptr;
    QLineEdit* m_key2 = nullptr;
};

} // namespace varcel::ui
