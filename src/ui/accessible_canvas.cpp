#include "ui/accessible_canvas.h"

#include "ui/main_window.h"
#include "ui/window_page.h"

#include <QAccessibleWidget>
#include <QPointer>

#include <algorithm>

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
    }
    return QAccessible::Button;
}

bool onPage(CHidMouseDlg& window, Element stop)
{
    const auto& stops = focusOrder(window.controller().currentPage());
    return std::find(stops.begin(), stops.end(), stop) != stops.end();
}

// One drawn element: it has no widget, so no QObject of its own.
class ElementAccessible : public QAccessibleInterface,
                          public QAccessibleActionInterface,
                          public QAccessibleValueInterface {
public:
    ElementAccessible(CHidMouseDlg& window, Element stop) : m_window(&window), m_stop(stop) {}

    bool isValid() const override { return m_window && onPage(*m_window, m_stop); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_window ? m_window->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(m_window.data()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }

    QString text(QAccessible::Text t) const override
    {
        if (!isValid())
            return {};
        const ElementInfo info = describe(m_stop, m_window->controller());
        if (t == QAccessible::Name)
            return qs(info.name);
        if (t == QAccessible::Value)
            return qs(info.value);
        return {};
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override
    {
        if (!isValid())
            return {};
        const Rect r = focusRect(m_stop, m_window->dpiRows());
        return {m_window->mapToGlobal(QPoint(r.x, r.y)), QSize(r.w, r.h)};
    }
    QAccessible::Role role() const override
    {
        return isValid() ? qtRole(describe(m_stop, m_window->controller())) : QAccessible::NoRole;
    }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        const ElementInfo info = describe(m_stop, m_window->controller());
        s.focusable = true;
        s.focused = m_window->focusElement() == m_stop;
        s.checkable = info.checkable;
        s.checked = info.checked;
        s.disabled = info.disabled;
        s.expandable = info.expandable;
        s.expanded = info.expanded;
        s.collapsed = info.expandable && !info.expanded;
        s.invisible = !m_window->isVisible();
        return s;
    }

    void* interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::ActionInterface)
            return static_cast<QAccessibleActionInterface*>(this);
        if (t == QAccessible::ValueInterface && (isDpiBar(m_stop) || isPointerSlider(m_stop)))
            return static_cast<QAccessibleValueInterface*>(this);
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
        // A screen reader waits for the answer to its call: what the press
        // does (a dialog, a message) runs after it.
        QPointer<CHidMouseDlg> window = m_window;
        const Element stop = m_stop;
        int key = 0;
        if (name == increaseAction())
            key = Qt::Key_Up;
        else if (name == decreaseAction())
            key = Qt::Key_Down;
        else if (name != pressAction())
            return;
        QMetaObject::invokeMethod(
            window.data(),
            [window, stop, key] {
                if (!window)
                    return;
                if (key == 0)
                    window->activate(stop);
                else
                    window->arrow(stop, key);
            },
            Qt::QueuedConnection);
    }
    QStringList keyBindingsForAction(const QString& name) const override
    {
        if (name == pressAction())
            return {QStringLiteral("Space")};
        return {};
    }

    QVariant currentValue() const override { return isValid() ? describe(m_stop, m_window->controller()).current : 0; }
    void setCurrentValue(const QVariant& value) override
    {
        if (isValid())
            m_window->setStopValue(m_stop, value.toInt());
    }
    QVariant maximumValue() const override { return isValid() ? describe(m_stop, m_window->controller()).maximum : 0; }
    QVariant minimumValue() const override { return isValid() ? describe(m_stop, m_window->controller()).minimum : 0; }
    QVariant minimumStepSize() const override { return 1; }

private:
    QPointer<CHidMouseDlg> m_window;
    Element m_stop;
};

// The window: its children are the page's stops, a field or list that is a
// control of its own standing for its stop, then the lists that are open.
class CanvasAccessible : public QAccessibleWidget {
public:
    explicit CanvasAccessible(CHidMouseDlg* window) : QAccessibleWidget(window, QAccessible::Window) {}
    ~CanvasAccessible() override
    {
        for (const auto& [stop, id] : m_ids)
            QAccessible::deleteAccessibleInterface(id);
    }

    CHidMouseDlg* canvas() const { return static_cast<CHidMouseDlg*>(widget()); }

    QAccessibleInterface* stopInterface(Element stop)
    {
        if (QWidget* control = canvas()->controlOf(stop))
            return QAccessible::queryAccessibleInterface(control);
        auto it = m_ids.find(stop);
        if (it == m_ids.end())
            it = m_ids.emplace(stop, QAccessible::registerAccessibleInterface(new ElementAccessible(*canvas(), stop)))
                     .first;
        return QAccessible::accessibleInterface(it->second);
    }

    std::vector<QAccessibleInterface*> children() const
    {
        auto* self = const_cast<CanvasAccessible*>(this);
        std::vector<QAccessibleInterface*> all;
        std::vector<QWidget*> controls;
        for (Element stop : focusOrder(canvas()->controller().currentPage())) {
            if (QWidget* control = canvas()->controlOf(stop))
                controls.push_back(control);
            all.push_back(self->stopInterface(stop));
        }
        for (QWidget* child : canvas()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            if (child->isVisible() && std::find(controls.begin(), controls.end(), child) == controls.end())
                all.push_back(QAccessible::queryAccessibleInterface(child));
        all.erase(std::remove(all.begin(), all.end(), nullptr), all.end());
        return all;
    }

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
    QAccessibleInterface* focusChild() const override
    {
        const Element focus = canvas()->focusElement();
        if (focus == Element::None || !onPage(*canvas(), focus))
            return nullptr;
        return const_cast<CanvasAccessible*>(this)->stopInterface(focus);
    }

private:
    std::map<Element, QAccessible::Id> m_ids;
};

QAccessibleInterface* canvasFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("varcel::ui::CHidMouseDlg") && object && object->isWidgetType())
        return new CanvasAccessible(static_cast<CHidMouseDlg*>(object));
    return nullptr;
}

} // namespace

void installAccessibleCanvas()
{
    static const bool installed = [] {
        QAccessible::installFactory(canvasFactory);
        return true;
    }();
    (void)installed;
}

QAccessibleInterface* accessibleStop(CHidMouseDlg& window, Element stop)
{
    if (!onPage(window, stop))
        return nullptr;
    auto* canvas = dynamic_cast<CanvasAccessible*>(QAccessible::queryAccessibleInterface(&window));
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

void AccessibleAnnouncer::announce(CHidMouseDlg& window)
{
    if (!listening())
        return;
    const Page page = window.controller().currentPage();
    if (page != m_page) {
        m_page = page;
        m_last.clear();
        QAccessibleEvent reorder(&window, QAccessible::ObjectReorder);
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

void AccessibleAnnouncer::focusMoved(CHidMouseDlg& window, Element stop)
{
    if (!listening())
        return;
    if (QAccessibleInterface* iface = accessibleStop(window, stop)) {
        QAccessibleEvent event(iface, QAccessible::Focus);
        deliver(event);
    }
}

} // namespace varcel::ui
