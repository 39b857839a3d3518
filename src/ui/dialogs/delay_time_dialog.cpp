#include "ui/dialogs/delay_time_dialog.h"

#include "lang/dialog_strings.h"

#include <QLineEdit>
#include <QPainter>
#include <QRegularExpressionValidator>

namespace varcel::ui {

CDelayTimeDialog::CDelayTimeDialog(const Skin& skin, Language language, Reporter& reporter, QWidget* parent)
    : SkinnedDialog(Dialog::DelayTime, skin, language, reporter, text::kDelayBackgroundFailed, parent)
{
    setTitle(text::kDelayTitle(language));
    if (!hasBackground())
        return;
    m_edit = makeField(layout().fields[0], QStringLiteral("delayField"));
    m_edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_edit));
    // The dialog's own field has a border, unlike the captured-name fields.
    m_edit->setStyleSheet(m_edit->styleSheet() + QStringLiteral("QLineEdit { border: 1px solid %1; }")
                                                     .arg(skin.look().fieldBorder.name()));
    connect(m_edit, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_field.setText(text.toStdString()); });
    m_edit->setFocus();
}

void CDelayTimeDialog::showPause(const std::string& entry)
{
    if (!m_edit)
        return;
    DelayTimeField digits;
    digits.setText(entry);
    m_edit->setText(qs(digits.text()));
    m_edit->selectAll();
}

void CDelayTimeDialog::paintContents(QPainter& painter)
{
    const DialogLayout& l = layout();
    drawText(painter, l.prompt, qs(text::kDelayPrompt(language())), textColour());
    drawText(painter, l.hint, qs(text::kDelayRange(language())), textColour());
    drawText(painter, l.unit, QString::fromLatin1(text::kDelayUnit), textColour());
}

} // namespace varcel::ui
