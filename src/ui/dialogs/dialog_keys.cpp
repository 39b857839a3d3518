#include "ui/dialogs/dialog_keys.h"

#include "ui/skin.h"

#include <QAccessible>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

#include <algorithm>

namespace varcel::ui {

namespace {

// The dialog's own control at a point, faces that let clicks through included.
QWidget* controlAt(const QWidget& dialog, const QPoint& p)
{
    for (QWidget* child : dialog.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (child->isVisible() && child->geometry().contains(p))
            return child;
    return nullptr;
}

} // namespace

DialogKeys::DialogKeys(QDialog& dialog, Dialog which, Language language, Hooks hooks)
    : m_dialog(dialog), m_which(which), m_language(language), m_hooks(std::move(hooks))
{}

std::optional<DialogStop> DialogKeys::focused() const
{
    const std::vector<DialogStop> all = stops();
    if (!m_markShown || m_focus < 0 || m_focus >= static_cast<int>(all.size()))
        return std::nullopt;
    return all[static_cast<std::size_t>(m_focus)];
}

bool DialogKeys::offKeyField() const
{
    if (openList())
        return true;
    const auto stop = focused();
    return stop && stop->part != DialogPart::Field;
}

void DialogKeys::move(bool next)
{
    const std::vector<DialogStop> all = stops();
    const auto n = static_cast<int>(all.size());
    m_focus = (m_focus + (next ? 1 : -1) + n) % n;
    m_markShown = true;
    const DialogStop& stop = all[static_cast<std::size_t>(m_focus)];
    // A field of its own takes the typing; a key field is chosen as a click
    // into it chooses it.
    if (auto* field = qobject_cast<QLineEdit*>(controlAt(m_dialog, middle(stop.rect)))) {
        field->setFocus(Qt::TabFocusReason);
    } else {
        if (QWidget* had = m_dialog.focusWidget(); had && had != &m_dialog)
            had->clearFocus();
        if (stop.part == DialogPart::Field && m_hooks.press)
            m_hooks.press(middle(stop.rect));
    }
    m_dialog.update();
    if (QAccessible::isActive()) {
        QAccessibleEvent event(&m_dialog, QAccessible::Focus);
        event.setChild(m_focus);
        QAccessible::updateAccessibility(&event);
    }
}

bool DialogKeys::key(const QKeyEvent& event)
{
    const int key = event.key();
    const bool press = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
    if (QListWidget* list = openList()) {
        // Down goes down the list, Enter or Space takes the row, Escape
        // closes it without a choice.
        const int down = key == Qt::Key_Down ? 1 : key == Qt::Key_Up ? -1 : 0;
        if (down != 0) {
            list->setCurrentRow(std::clamp(list->currentRow() + down, 0, list->count() - 1));
            return true;
        }
        if (press || key == Qt::Key_Escape) {
            m_hooks.listDone(key == Qt::Key_Escape ? -1 : list->currentRow());
            return true;
        }
        return false;
    }
    const auto stop = focused();
    if (!stop || stop->part == DialogPart::Field)
        return false;
    // Down opens a list from its face, as a combo box does.
    if (press || (key == Qt::Key_Down && stop->part == DialogPart::Face)) {
        m_hooks.press(middle(stop->rect));
        return true;
    }
    return false;
}

void DialogKeys::pressStop(int stop)
{
    const std::vector<DialogStop> all = stops();
    if (stop >= 0 && stop < static_cast<int>(all.size()) && m_hooks.press)
        m_hooks.press(middle(all[static_cast<std::size_t>(stop)].rect));
}

QString DialogKeys::stopText(int stop) const
{
    const std::vector<DialogStop> all = stops();
    if (stop < 0 || stop >= static_cast<int>(all.size()))
        return {};
    QWidget* shown = controlAt(m_dialog, middle(all[static_cast<std::size_t>(stop)].rect));
    if (auto* label = qobject_cast<QLabel*>(shown))
        return label->text();
    if (auto* field = qobject_cast<QLineEdit*>(shown))
        return field->text();
    if (all[static_cast<std::size_t>(stop)].part == DialogPart::Face && m_hooks.faceText)
        return m_hooks.faceText();
    return {};
}

void DialogKeys::drawMark(QPainter& painter, const QColor& colour) const
{
    if (const auto stop = focused())
        drawFocusMark(painter, stop->rect, colour);
}

} // namespace varcel::ui
