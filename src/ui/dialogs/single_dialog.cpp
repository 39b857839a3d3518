#include "ui/dialogs/single_dialog.h"

#include "lang/dialog_strings.h"
#include "lang/ui_strings.h"

#include <QLabel>
#include <QPainter>

namespace varcel::ui {

CSingleDialog::CSingleDialog(const Skin& skin, Language language, Reporter& reporter, QWidget* parent)
    : SkinnedDialog(Dialog::SingleKey, skin, language, reporter, text::kSingleKeyBackgroundFailed, parent)
{
    setTitle(uiString(language, UiString::SingleKey));
    if (!hasBackground())
        return;
    m_name = makeFace(layout().fields[0], QStringLiteral("keyName"));
    // The Windows keys do nothing here either.
    startKeyCapture(text::kSingleKeyHookFailed, true, [this](const CapturedKey& key) {
        m_model.keyEvent(key.name);
        m_name->setText(qs(m_model.keyName()));
    });
}

void CSingleDialog::paintContents(QPainter& painter)
{
    // Under the dialog's name, above the field, as the other dialogs have it.
    drawText(painter, layout().prompt, qs(text::kSingleKeyPrompt(language())), textColour());
}

} // namespace varcel::ui
