#include "ui/accessible_canvas.h"

#include "ui/accessible_parts.h"
#include "ui/advanced_page.h"

#include "control/main_controller.h"
#include "macros/macro_entry.h"

#include <QApplication>
#include <QListWidget>

#include <algorithm>
#include <utility>

namespace varcel::ui {

namespace {

QAccessible::Role qtRole(const ElementInfo& info)
{
    switch (info.role) {
    case Role::Button: return QAccessible::Button;
    case Role::CheckBox: return QAccessible::CheckBox;
    case Role::RadioButton: return QAccessible::RadioButton;
    case Role::List: return info.expandable ? QAccessible::ComboBox : QAccessible::List;
    case Role::ListItem: return QAccessible::ListItem;
    case Role::Slider: return QAccessible::Slider;
    case Role::TextField: return QAccessible::EditableText;
    case Role::PageTab: return QAccessible::PageTab;
    }
    return QAccessible::Button;
}

bool onPage(AccessibleHost& window, Element stop)
{
    const auto& stops = focusOrder(window.controller().currentPage());
    return std::find(stops.begin(), stops.end(), stop) != stops.end();
}

// One drawn element of the window.
class ElementAccessible : public DrawnPartAccessible<QWidget>,
                          public QAccessibleValueInterface,
                          public ValueTextInterface {
public:
    ElementAccessible(AccessibleHost& window, Element stop)
        : DrawnPartAccessible(window.widget()), m_host(&window), m_stop(stop)
    {}
    using ValueTextInterface::text;

    bool isValid() const override { return m_owner && onPage(*m_host, m_stop); }

    QString text(QAccessible::Text t) const override
    {
        if (!isValid())
            return {};
        const ElementInfo info = describe(m_stop, m_host->controller());
        if (t == QAccessible::Name)
            return qs(info.name);
        if (t == QAccessible::Value)
            return qs(info.value);
        if (t == QAccessible::Description)
            return qs(info.description);
        return {};
    }
    QString valueText() const override { return text(QAccessible::Value); }
    QRect rect() const override
    {
        if (!isValid())
            return {};
        const Rect r = focusRect(m_stop, m_host->dpiRows());
        return {m_owner->mapToGlobal(QPoint(r.x, r.y)), QSize(r.w, r.h)};
    }
    QAccessible::Role role() const override
    {
        return isValid() ? qtRole(describe(m_stop, m_host->controller())) : QAccessible::NoRole;
    }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        const ElementInfo info = describe(m_stop, m_host->controller());
        s.focusable = true;
        s.focused = m_host->focusElement() == m_stop;
        s.checkable = info.checkable;
        s.checked = info.checked;
        s.disabled = info.disabled;
        s.selectable = info.role == Role::PageTab;
        s.selected = info.selected;
        s.expandable = info.expandable;
        s.expanded = info.expanded;
        s.collapsed = info.expandable && !info.expanded;
        s.invisible = !m_owner->isVisible();
        return s;
    }

    void* interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::ActionInterface)
            return static_cast<QAccessibleActionInterface*>(this);
        if (t == QAccessible::ValueInterface && (isDpiBar(m_stop) || isPointerSlider(m_stop)))
            return static_cast<QAccessibleValueInterface*>(this);
        if (t == QAccessible::TextInterface && isValid() && describe(m_stop, m_host->controller()).role == Role::List)
            return static_cast<QAccessibleTextInterface*>(this);
        return nullptr;
    }

    // ---- Actions: a press is a click; a slider steps up and down ----
    QStringList actionNames() const override
    {
        if (isDpiBar(m_stop) || isPointerSlider(m_stop))
            return {increaseAction(), decreaseAction()};
        return {pressAction()};
    }
    void doAction(const QString& name) override
    {
        if (!isValid())
            return;
        AccessibleHost* host = m_host;
        const Element stop = m_stop;
        if (name == pressAction())
            later([host, stop](QWidget&) { host->activate(stop); });
        else if (name == increaseAction() || name == decreaseAction())
            later([host, stop, up = name == increaseAction()](QWidget&) {
                host->arrow(stop, up ? Qt::Key_Up : Qt::Key_Down);
            });
    }

    QVariant currentValue() const override { return isValid() ? describe(m_stop, m_host->controller()).current : 0; }
    void setCurrentValue(const QVariant& value) override
    {
        if (!isValid())
            return;
        // A bar is given a DPI; the page moves it by rows.
        const int asked = value.toInt();
        m_host->setStopValue(m_stop, isDpiBar(m_stop) ? dpiBarRowOfValue(m_host->controller(), asked) : asked);
    }
    QVariant maximumValue() const override { return isValid() ? describe(m_stop, m_host->controller()).maximum : 0; }
    QVariant minimumValue() const override { return isValid() ? describe(m_stop, m_host->controller()).minimum : 0; }
    QVariant minimumStepSize() const override { return 1; }

private:
    AccessibleHost* m_host;
    Element m_stop;
};

// The window: its children are the page's stops, a field or list that is a
// control of its own standing for its stop, then the lists that are open.
class CanvasAccessible : public ListedChildrenAccessible {
    // The headings' interfaces are kept after the elements'.
    static constexpr std::size_t kHeadingIds = static_cast<std::size_t>(Element::Count);

public:
    explicit CanvasAccessible(AccessibleHost& window)
        : ListedChildrenAccessible(&window.widget(), QAccessible::Window), m_host(window)
    {}
    ~CanvasAccessible() override { forgetParts(); }

    QAccessibleInterface* stopInterface(Element stop) const
    {
        if (QWidget* control = m_host.controlOf(stop))
            return QAccessible::queryAccessibleInterface(control);
        return registered(static_cast<std::size_t>(stop), [this, stop] { return new ElementAccessible(m_host, stop); });
    }

    QAccessibleInterface* headingInterface(std::size_t index) const
    {
        return registered(kHeadingIds + index, [this, index] {
            return new HeadingAccessible<QWidget>(*widget(), [window = &m_host, index] {
                const auto all = headings(window->controller().currentPage(), window->controller().language());
                if (index >= all.size())
                    return std::pair<QString, QRect>();
                const Rect& r = all[index].rect;
                return std::pair(qs(all[index].name), QRect(r.x, r.y, r.w, r.h));
            });
        });
    }

    std::vector<QAccessibleInterface*> children() const override
    {
        std::vector<QAccessibleInterface*> all;
        std::vector<QWidget*> controls;
        const Page page = m_host.controller().currentPage();
        for (std::size_t i = 0; i < headings(page, m_host.controller().language()).size(); ++i)
            all.push_back(headingInterface(i));
        for (Element stop : focusOrder(page)) {
            if (QWidget* control = m_host.controlOf(stop))
                controls.push_back(control);
            all.push_back(stopInterface(stop));
        }
        // Behind a dialog an open list is out of reach: the reader is not
        // to offer it.
        const QWidget* modal = QApplication::activeModalWidget();
        const bool behindDialog = modal && modal != widget();
        for (QWidget* child : widget()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            if (child->isVisible() && std::find(controls.begin(), controls.end(), child) == controls.end() &&
                !behindDialog)
                all.push_back(QAccessible::queryAccessibleInterface(child));
        all.erase(std::remove(all.begin(), all.end(), nullptr), all.end());
        return all;
    }
    QAccessibleInterface* focusChild() const override
    {
        const Element focus = m_host.focusElement();
        if (focus == Element::None || !onPage(m_host, focus))
            return nullptr;
        return stopInterface(focus);
    }

private:
    AccessibleHost& m_host;
};

// A row of the macro's event list, read as words ("R down", "pause of 50
// milliseconds"), with the list's own ways to change it as its actions.
class EventRowAccessible : public DrawnPartAccessible<QListWidget> {
public:
    EventRowAccessible(QListWidget& list, AccessibleHost& window, int row)
        : DrawnPartAccessible(list), m_host(&window), m_row(row)
    {}

    bool isValid() const override
    {
        return m_owner && m_row < static_cast<int>(m_host->controller().macroPage().events().size());
    }
    bool isPause() const { return isValid() && classifyEntry(entry()) == EntryKind::Pause; }
    const std::string& entry() const
    {
        return m_host->controller().macroPage().events()[static_cast<std::size_t>(m_row)];
    }

    QString text(QAccessible::Text t) const override
    {
        return isValid() && t == QAccessible::Name ? qs(spokenEntry(entry(), m_host->controller().language()))
                                                   : QString();
    }
    QRect rect() const override
    {
        if (!isValid() || !m_owner->item(m_row))
            return {};
        const QRect r = m_owner->visualItemRect(m_owner->item(m_row));
        return {m_owner->viewport()->mapToGlobal(r.topLeft()), r.size()};
    }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        const bool selected = m_host->controller().macroPage().selectedEvent() == m_row;
        s.selectable = true;
        s.selected = selected;
        s.focusable = true;
        s.focused = selected && m_owner->hasFocus();
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType t) override
    {
        return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }
    QStringList actionNames() const override
    {
        QStringList names{pressAction()};
        if (isPause())
            names << kEditPause;
        return names << kDelete;
    }
    QString localizedActionName(const QString& name) const override
    {
        const Language lang = m_owner ? m_host->controller().language() : Language::English;
        if (name == kEditPause)
            return qs(accessString(lang, AccessString::EditPause));
        if (name == kDelete)
            return qs(accessString(lang, AccessString::DeleteEntry));
        return QAccessibleActionInterface::localizedActionName(name);
    }
    void doAction(const QString& name) override
    {
        if (!isValid())
            return;
        const int row = m_row;
        AccessibleHost* host = m_host;
        if (name == pressAction()) {
            later([row](QListWidget& list) { list.setCurrentRow(row); });
        } else if (name == kEditPause && isPause()) {
            later([host, row](QListWidget&) { host->advancedPage().eventListDoubleClicked(row); });
        } else if (name == kDelete) {
            later([host, row](QListWidget& list) {
                if (!list.item(row))
                    return;
                // The action is the context menu's "Delete" already chosen.
                AdvancedPage& page = host->advancedPage();
                auto ask = std::exchange(page.askDelete, [](const QPoint&) { return true; });
                page.eventListContextMenu(list.visualItemRect(list.item(row)).center());
                page.askDelete = std::move(ask);
            });
        }
    }

private:
    static inline const QString kEditPause = QStringLiteral("editPause");
    static inline const QString kDelete = QStringLiteral("deleteEntry");
    // The list lives in the window: while the list is there, so is the window.
    AccessibleHost* m_host;
    int m_row;
};

class EventListAccessible : public ListedChildrenAccessible {
public:
    EventListAccessible(QListWidget* list, AccessibleHost& window)
        : ListedChildrenAccessible(list, QAccessible::List), m_host(&window)
    {}
    ~EventListAccessible() override { forgetParts(); }

    QListWidget* list() const { return static_cast<QListWidget*>(widget()); }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && isValid())
            return qs(describe(Element::EventList, m_host->controller()).name);
        return ListedChildrenAccessible::text(t);
    }
    std::vector<QAccessibleInterface*> children() const override
    {
        std::vector<QAccessibleInterface*> rows;
        if (!isValid())
            return rows;
        const std::size_t n = m_host->controller().macroPage().events().size();
        for (std::size_t row = 0; row < n; ++row)
            rows.push_back(registered(
                row, [this, row] { return new EventRowAccessible(*list(), *m_host, static_cast<int>(row)); }));
        return rows;
    }
    QAccessibleInterface* focusChild() const override
    {
        const int row = isValid() ? m_host->controller().macroPage().selectedEvent() : -1;
        return row >= 0 ? child(row) : nullptr;
    }

private:
    AccessibleHost* m_host; // the list's window
};

QAccessibleInterface* canvasFactory(const QString& className, QObject* object)
{
    if (auto* window = dynamic_cast<AccessibleHost*>(object))
        return new CanvasAccessible(*window);
    if (className == QLatin1String("QListWidget") && object && object->objectName() == QLatin1String("eventList"))
        if (auto* window = dynamic_cast<AccessibleHost*>(static_cast<QListWidget*>(object)->parentWidget()))
            return new EventListAccessible(static_cast<QListWidget*>(object), *window);
    return nullptr;
}

} // namespace

void installAccessibleCanvas() { installOnce<canvasFactory>(); }

QAccessibleInterface* accessibleStop(AccessibleHost& window, Element stop)
{
    if (!onPage(window, stop))
        return nullptr;
    auto* canvas = dynamic_cast<CanvasAccessible*>(QAccessible::queryAccessibleInterface(&window.widget()));
    return canvas ? canvas->stopInterface(stop) : nullptr;
}

bool AccessibleAnnouncer::listening() const { return send || QAccessible::isActive(); }

void AccessibleAnnouncer::deliver(QAccessibleEvent& event)
{
    if (send)
        send(event);
    else
        QAccessible::updateAccessibility(&event);
}

void AccessibleAnnouncer::announce(AccessibleHost& window)
{
    if (!listening())
        return;
    const Page page = window.controller().currentPage();
    if (page != m_page) {
        m_page = page;
        m_last.clear();
        QAccessibleEvent reorder(&window.widget(), QAccessible::ObjectReorder);
        deliver(reorder);
    }
    const bool first = m_last.empty();
    for (Element stop : focusOrder(page)) {
        ElementInfo now = describe(stop, window.controller());
        const auto before = m_last.find(stop);
        if (!first && before != m_last.end() && !(before->second == now)) {
            if (QAccessibleInterface* iface = accessibleStop(window, stop)) {
                const ElementInfo& was = before->second;
                if (was.name != now.name) {
                    QAccessibleEvent event(iface, QAccessible::NameChanged);
                    deliver(event);
                }
                QAccessible::State changed;
                changed.checked = was.checked != now.checked;
                changed.disabled = was.disabled != now.disabled;
                changed.expanded = was.expanded != now.expanded;
                changed.collapsed = changed.expanded;
                if (changed.checked || changed.disabled || changed.expanded) {
                    QAccessibleStateChangeEvent event(iface, changed);
                    deliver(event);
                }
                if (was.value != now.value || was.current != now.current) {
                    QAccessibleValueChangeEvent event(iface, now.current);
                    deliver(event);
                }
            }
        }
        m_last[stop] = std::move(now);
    }
}

void AccessibleAnnouncer::listRowMoved(QWidget* list, int row)
{
    if (!listening() || !list || row < 0)
        return;
    QAccessibleEvent event(list, QAccessible::Focus);
    event.setChild(row);
    deliver(event);
}

void AccessibleAnnouncer::focusMoved(AccessibleHost& window, Element stop)
{
    if (!listening())
        return;
    if (QAccessibleInterface* iface = accessibleStop(window, stop)) {
        QAccessibleEvent event(iface, QAccessible::Focus);
        deliver(event);
    }
}

} // namespace varcel::ui
