#include "ui/dialogs/combo_dialog.h"

#include "lang/dialog_strings.h"
#include "lang/ui_strings.h"

#include <QLabel>
#include <QLineEdit>
#include <QPainter>

namespace varcel::ui {

CComboDialog::CComboDialog(const Skin& skin, Language language, Reporter& reporter, QWidget* parent)
    : SkinnedDialog(Dialog::ComboKey, skin, language, reporter, text::kComboBackgroundFailed, parent)
{
    setTitle(uiString(language, UiString::ComboKey));
    if (!hasBackground())
        return;
    const DialogLayout& l = layout();
    // The face's right end keeps the drawn arrow visible.
    m_modifier = makeFace({l.face.x + 2, l.face.y + 2, l.face.w - 24, l.face.h - 4}, QStringLiteral("modifier"));
    m_key1 = makeField(l.fields[0], QStringLiteral("key1"));
    m_key2 = makeField(l.fields[1], QStringLiteral("key2"));
    // The fields show captured names; typing into them would only be
    // overwritten by the next key event.
    for (QLineEdit* field : {m_key1, m_key2}) {
        field->setReadOnly(true);
        field->setFocusPolicy(Qt::ClickFocus);
    }
    syncFields();
    startKeyCapture(text::kComboHookFailed, false, [this](const CapturedKey& key) { keyEvent(key); });
}

void CComboDialog::keyEvent(const CapturedKey& key)
{
    using Field = ComboKeyDialogModel::Field;
    QWidget* focused = focusWidget();
    const Field field = focused == m_key1 ? Field::Key1 : focused == m_key2 ? Field::Key2 : Field::None;
    m_model.keyEvent(field, key.name);
    syncFields();
}

void CComboDialog::syncFields()
{
    // Before a choice the face says the combination has no modifier, which
    // is what OK then stores.
    const bool none = m_model.modifier().empty();
    m_modifier->setText(none ? qs(text::kNoModifier(language())) : qs(m_model.modifier()));
    m_modifier->setStyleSheet(skin().look().fieldStyle() +
                              (none ? QStringLiteral("QLabel { color: %1; }").arg(skin().look().hint.name())
                                    : QString()));
    m_key1->setText(qs(m_model.key1()));
    m_key2->setText(qs(m_model.key2()));
    m_key1->setEnabled(m_model.keyFieldsEnabled());
    m_key2->setEnabled(m_model.keyFieldsEnabled());
}

void CComboDialog::clickAt(const QPoint& pos)
{
    if (!layout().face.contains(pos.x(), pos.y()))
        return;
    m_model.toggleModifierList();
    if (m_model.isModifierListOpen()) {
        openList(qstrings(ComboKeyDialogModel::modifierRows()), layout().list, m_model.modifierRow(),
                 [this](int row) {
                     m_model.chooseModifier(row);
                     syncFields();
                 });
    } else {
        closeList();
    }
    syncFields();
}

void CComboDialog::listClosed()
{
    m_model.closeModifierList();
    syncFields();
}

void CComboDialog::paintContents(QPainter& painter)
{
    const DialogLayout& l = layout();
    for (const TextSpot& plus : l.fieldCaptions)
        drawText(painter, plus, QStringLiteral("+"), textColour());
    const Language lang = language();
    drawText(painter, l.columnCaptions[0], qs(accessString(lang, AccessString::Modifier)), textColour());
    for (int i = 0; i < 2; ++i)
        drawText(painter, l.columnCaptions[static_cast<std::size_t>(i + 1)],
                 qs(fillIn(accessString(lang, AccessString::KeyField), {i == 0 ? "1" : "2"})), textColour());
}

} // namespace varcel::ui
