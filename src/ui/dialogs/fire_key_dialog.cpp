#include "ui/dialogs/fire_key_dialog.h"

#include "lang/dialog_strings.h"
#include "lang/ui_strings.h"

#include <QEvent>
#include <QLineEdit>
#include <QPainter>
#include <QRegularExpressionValidator>

namespace varcel::ui {

CFireKeyDialog::CFireKeyDialog(const Skin& skin, Language language, Reporter& reporter, QWidget* parent)
    : ChooserDialog(Dialog::FireKey, skin, language, reporter, text::kFireKeyBackgroundFailed, m_model, parent)
{
    setTitle(uiString(language, UiString::FireKey));
    if (!hasBackground())
        return;
    const DialogLayout& l = layout();
    m_speed = makeField(l.fields[0], QStringLiteral("speed"));
    m_times = makeField(l.fields[1], QStringLiteral("times"));
    for (QLineEdit* field : {m_speed, m_times})
        field->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), field));
    m_speed->setText(QString::number(m_model.speed()));
    m_times->setText(QString::number(m_model.times()));
    m_speed->installEventFilter(this);
    connect(m_times, &QLineEdit::textChanged, this, [this](const QString& text) {
        const QString shown = qs(m_model.timesFieldChanged(text.toStdString()));
        if (shown != text)
            m_times->setText(shown);
    });
    buildFace();
}

void CFireKeyDialog::speedLeft()
{
    if (!m_speed)
        return;
    const QString text = m_speed->text();
    const QString shown = qs(m_model.speedFieldLeft(text.toStdString()));
    if (shown != text)
        m_speed->setText(shown);
}

bool CFireKeyDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_speed && event->type() == QEvent::FocusOut)
        speedLeft();
    return ChooserDialog::eventFilter(watched, event);
}

void CFireKeyDialog::done(int result)
{
    // Enter or a click on OK may come while the speed field still has the
    // focus: what it shows is what the button gets, corrected as on leaving it.
    if (result == QDialog::Accepted)
        speedLeft();
    ChooserDialog::done(result);
}

void CFireKeyDialog::chooserChanged()
{
    if (!m_speed)
        return;
    m_speed->setEnabled(m_model.numberFieldsEnabled());
    m_times->setEnabled(m_model.numberFieldsEnabled());
}

void CFireKeyDialog::paintContents(QPainter& painter)
{
    const DialogLayout& l = layout();
    drawText(painter, l.fieldCaptions[0], qs(text::kFireKeySpeed(language())), textColour());
    drawText(painter, l.fieldCaptions[1], qs(text::kFireKeyTimes(language())), textColour());
    const Rect& n = l.note;
    QString note = qs(text::kFireKeyIllustration(language()));
    if (const QString detail = qs(text::kFireKeyIllustrationDetail(language())); !detail.isEmpty())
        note += QLatin1Char('\n') + detail;
    drawText(painter, {{n.x + 10, n.y + 6, n.w - 20, n.h - 12}, Align::Left}, note, textColour(), Qt::TextWordWrap);
}

} // namespace varcel::ui
