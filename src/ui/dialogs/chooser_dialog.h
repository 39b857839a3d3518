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
                  RowChooser& chooser, QWidget* parent = nullptr)
        : SkinnedDialog(which, skin, language, reporter, failedCaption, parent), m_chooser(chooser)
    {}

    QLabel* nameFace() const { return m_face; }
    QPoint facePoint() const { return middle(layout().face); }

protected:
    // Makes the face; called by each dialog once its model exists.
    void buildFace();
    // The list opened or closed, or a row was chosen.
    virtual void chooserChanged() {}
    // Runs the dialog: the model's choice when confirmed, nothing when cancelled.
    template <class Model>
    auto confirmedChoice(const Model& model)
    {
        return confirmed([&] {
            auto choice = model.result();
            // Without its background the dialog never showed a name.
            if (!hasBackground())
                choice.name.clear();
            return choice;
        });
    }

    void clickAt(const QPoint& pos) override;
    void listClosed() override;

private:
    void sync();

    RowChooser& m_chooser;
    QLabel* m_face = nullptr;
};

// The multimedia and application-key dialogs: one key of a list, by name.
template <class Model>
class ListKeyDialog : public ChooserDialog {
public:
    // The chosen row and its name when confirmed, nothing when cancelled.
    auto run() { return confirmedChoice(m_model); }
    const Model& model() const { return m_model; }

protected:
    ListKeyDialog(Dialog which, const Skin& skin, Language language, Reporter& reporter, const char* failedCaption,
                  const char* title, QWidget* parent)
        : ChooserDialog(which, skin, language, reporter, failedCaption, m_model, parent), m_model(language)
    {
        setTitle(title);
        if (hasBackground())
            buildFace();
    }

private:
    Model m_model;
};

} // namespace varcel::ui
