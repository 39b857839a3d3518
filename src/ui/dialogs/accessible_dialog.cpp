#include "ui/dialogs/accessible_dialog.h"

#include "ui/accessible_parts.h"
#include "ui/dialogs/dialog_keys.h"
#include "ui/skin.h"

#include <QDialog>
#include <QLineEdit>
#include <QListWidget>

namespace varcel::ui {

namespace {

// Which of its kind a stop is, from 0: the second key field is "Key 2".
int indexAmongKind(const std::vector<DialogStop>& stops, int stop)
{
    int index = 0;
    for (int i = 0; i < stop; ++i)
        index += stops[static_cast<std::size_t>(i)].part == stops[static_cast<std::size_t>(stop)].part ? 1 : 0;
    return index;
}

// A field of the dialog's own that has the keyboard: then it is the one
// element focused, not the drawn stop the dialog's keys last stood on.
bool fieldHasFocus(const QDialog& dialog)
{
    return qobject_cast<QLineEdit*>(dialog.focusWidget()) != nullptr && dialog.focusWidget()->hasFocus();
}

class DialogStopAccessible : public DrawnPartAccessible<QDialog>, public ValueTextInterface {
public:
    DialogStopAccessible(QDialog& dialog, DialogKeys& keys, int stop)
        : DrawnPartAccessible(dialog), m_keys(keys), m_stop(stop)
    {}
    using ValueTextInterface::text;

    bool isValid() const override { return m_owner && m_stop < static_cast<int>(m_keys.stops().size()); }
    DialogStop stop() const { return m_keys.stops()[static_cast<std::size_t>(m_stop)]; }

    QString text(QAccessible::Text t) const override
    {
        if (!isValid())
            return {};
        if (t == QAccessible::Name)
            return qs(
                dialogStopName(m_keys.which(), stop().part, indexAmongKind(m_keys.stops(), m_stop), m_keys.language()));
        if (t == QAccessible::Value)
            return m_keys.stopText(m_stop);
        return {};
    }
    QString valueText() const override { return text(QAccessible::Value); }
    QRect rect() const override
    {
        if (!isValid())
            return {};
        const Rect r = stop().rect;
        return {m_owner->mapToGlobal(QPoint(r.x, r.y)), QSize(r.w, r.h)};
    }
    QAccessible::Role role() const override
    {
        if (!isValid())
            return QAccessible::NoRole;
        switch (stop().part) {
        case DialogPart::Face: return QAccessible::ComboBox;
        case DialogPart::Field: return QAccessible::EditableText;
        case DialogPart::Option: return QAccessible::RadioButton;
        default: return QAccessible::Button;
        }
    }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        s.focusable = true;
        s.focused = m_keys.focus() == m_stop && !fieldHasFocus(*m_owner);
        if (stop().part == DialogPart::Option) {
            s.checkable = true;
            s.checked = m_keys.optionChecked(indexAmongKind(m_keys.stops(), m_stop));
        }
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TextInterface && isValid() && stop().part == DialogPart::Face)
            return static_cast<QAccessibleTextInterface*>(this);
        return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override
    {
        if (isValid() && name == pressAction())
            later([keys = &m_keys, stop = m_stop](QDialog&) { keys->pressStop(stop); });
    }

private:
    DialogKeys& m_keys;
    int m_stop;
};

class DialogAccessible : public ListedChildrenAccessible {
public:
    DialogAccessible(QDialog* dialog, DialogKeys& keys)
        : ListedChildrenAccessible(dialog, QAccessible::Dialog), m_keys(keys)
    {}
    ~DialogAccessible() override { forgetParts(); }
    QDialog* dialog() const { return static_cast<QDialog*>(widget()); }

    QAccessibleInterface* stopInterface(int stop) const
    {
        const std::vector<DialogStop> stops = m_keys.stops();
        const DialogStop& part = stops[static_cast<std::size_t>(stop)];
        // A field of its own is there as itself, under the stop's name.
        for (auto* field : dialog()->findChildren<QLineEdit*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (field->isVisible() && field->geometry().contains(middle(part.rect))) {
                field->setAccessibleName(
                    qs(dialogStopName(m_keys.which(), part.part, indexAmongKind(stops, stop), m_keys.language())));
                return QAccessible::queryAccessibleInterface(field);
            }
        }
        return registered(static_cast<std::size_t>(stop),
                          [this, stop] { return new DialogStopAccessible(*dialog(), m_keys, stop); });
    }
    std::vector<QAccessibleInterface*> children() const override
    {
        std::vector<QAccessibleInterface*> all;
        const int n = static_cast<int>(m_keys.stops().size());
        for (int stop = 0; stop < n; ++stop)
            all.push_back(stopInterface(stop));
        // An open row list is there as itself.
        if (QListWidget* list = m_keys.openList())
            all.push_back(QAccessible::queryAccessibleInterface(list));
        return all;
    }
    QAccessibleInterface* focusChild() const override
    {
        if (fieldHasFocus(*dialog()))
            return QAccessible::queryAccessibleInterface(dialog()->focusWidget());
        const int stop = m_keys.focus();
        return stop >= 0 && stop < static_cast<int>(m_keys.stops().size()) ? stopInterface(stop) : nullptr;
    }

private:
    DialogKeys& m_keys;
};

QAccessibleInterface* dialogFactory(const QString&, QObject* object)
{
    auto* dialog = qobject_cast<QDialog*>(object);
    auto* keyed = dynamic_cast<KeyedDialog*>(object);
    return dialog && keyed ? new DialogAccessible(dialog, keyed->keys()) : nullptr;
}

} // namespace

void installAccessibleDialogs() { installOnce<dialogFactory>(); }

} // namespace varcel::ui
