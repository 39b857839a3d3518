// The pieces the window's and the dialogs' accessible objects share: a part
// drawn on a widget, which has no QObject of its own, and a widget whose
// children are worked out afresh each time they are asked for (the page or
// the open list may have changed).
#pragma once

#include <QAccessibleWidget>
#include <QPointer>

#include <algorithm>
#include <functional>
#include <vector>

namespace varcel::ui {

template <typename Owner>
class DrawnPartAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    explicit DrawnPartAccessible(Owner& owner) : m_owner(&owner) {}

    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_owner ? m_owner->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(m_owner.data()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    void setText(QAccessible::Text, const QString&) override {}
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

protected:
    // A screen reader waits for the answer to its call: what a press does (a
    // dialog, a message, the end of a dialog's loop) runs after it.
    template <typename Act>
    void later(Act act)
    {
        QPointer<Owner> owner = m_owner;
        QMetaObject::invokeMethod(
            owner.data(),
            [owner, act] {
                if (owner)
                    act(*owner);
            },
            Qt::QueuedConnection);
    }

    QPointer<Owner> m_owner;
};

// What a list face shows, as the text a screen reader reads of it: Qt's
// AT-SPI bridge hands on no value text of an element whose value is no number.
class ValueTextInterface : public QAccessibleTextInterface {
public:
    virtual QString valueText() const = 0;

    QString text(int start, int end) const override
    {
        const QString all = valueText();
        if (end < 0 || end > all.size())
            end = static_cast<int>(all.size());
        return start >= 0 && start < end ? all.mid(start, end - start) : QString();
    }
    int characterCount() const override { return static_cast<int>(valueText().size()); }
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* start, int* end) const override
    {
        *start = 0;
        *end = characterCount();
        return {};
    }
};

// A text drawn on a widget that heads a section of it.
template <typename Owner>
class HeadingAccessible : public DrawnPartAccessible<Owner> {
public:
    HeadingAccessible(Owner& owner, std::function<std::pair<QString, QRect>()> heading)
        : DrawnPartAccessible<Owner>(owner), m_heading(std::move(heading))
    {}
    bool isValid() const override { return this->m_owner && !m_heading().first.isEmpty(); }
    QString text(QAccessible::Text t) const override { return t == QAccessible::Name ? m_heading().first : QString(); }
    QRect rect() const override
    {
        const QRect r = m_heading().second;
        return this->m_owner ? QRect(this->m_owner->mapToGlobal(r.topLeft()), r.size()) : QRect();
    }
    QAccessible::Role role() const override { return QAccessible::Heading; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        s.invisible = !this->m_owner || !this->m_owner->isVisible();
        return s;
    }
    QStringList actionNames() const override { return {}; }
    void doAction(const QString&) override {}

private:
    std::function<std::pair<QString, QRect>()> m_heading;
};

class ListedChildrenAccessible : public QAccessibleWidget {
public:
    using QAccessibleWidget::QAccessibleWidget;
    virtual std::vector<QAccessibleInterface*> children() const = 0;

    int childCount() const override { return static_cast<int>(children().size()); }
    QAccessibleInterface* child(int index) const override
    {
        const auto all = children();
        return index >= 0 && index < static_cast<int>(all.size()) ? all[static_cast<std::size_t>(index)] : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        const auto all = children();
        const auto it = std::find(all.begin(), all.end(), child);
        return it == all.end() ? -1 : static_cast<int>(it - all.begin());
    }
    QAccessibleInterface* childAt(int x, int y) const override
    {
        for (QAccessibleInterface* child : children())
            if (child->rect().contains(x, y))
                return child;
        return nullptr;
    }

protected:
    // The parts' interfaces live as long as this one.
    QAccessibleInterface* registered(std::size_t index, const std::function<QAccessibleInterface*()>& make) const
    {
        while (m_ids.size() <= index)
            m_ids.push_back(0);
        if (m_ids[index] == 0)
            m_ids[index] = QAccessible::registerAccessibleInterface(make());
        return QAccessible::accessibleInterface(m_ids[index]);
    }
    void forgetParts()
    {
        for (QAccessible::Id id : m_ids)
            if (id != 0)
                QAccessible::deleteAccessibleInterface(id);
        m_ids.clear();
    }

private:
    mutable std::vector<QAccessible::Id> m_ids;
};

// Makes Qt ask `factory` for accessible objects; once per factory.
template <QAccessible::InterfaceFactory Factory>
void installOnce()
{
    static const bool installed = [] {
        QAccessible::installFactory(Factory);
        return true;
    }();
    (void)installed;
}

} // namespace varcel::ui
