// The pattern of the multimedia, application-key, fire-key and macro-key
// dialogs: a face showing the chosen row's name that drops a list of rows.
#pragma once

#include "buttons/dialog_models.h"
#include "ui/dialogs/skinned_dialog.h"

class QLabel;

namespace varcel::ui {

class ChooserDialog : public SkinnedDialog {
    Q_OBJECT
public:
    ChooserDialog(Dialog which, const Skin& skin, Language language, Reporter& reporter, const char* failedCaption,
                  RowChooser& chooser, QWidget* parent = nullptr);

    QLabel* nameFace() const { return m_face; }
    QPoint facePoint() const;

protected:
    // Makes the face; called by each dialog once its model exists.
    void buildFace();
    // The list opened or closed, or a row was chosen.
    virtual void chooserChanged() {}

    void clickAt(const QPoint& pos) override;
    void listClosed() override;

private:
    void sync();

    RowChooser& m_chooser;
    QLabel* m_face = nullptr;
};

} // namespace varcel::ui
