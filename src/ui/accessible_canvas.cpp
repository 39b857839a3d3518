#include "ui/accessible_canvas.h"

#include "ui/main_window.h"
#include "ui/window_page.h"

#include "ui/accessible_parts.h"

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

// One drawn element of the window.
class ElementAccessible : public DrawnPartAccessible<CHidMouseDlg>, public QAccessibleValueInterface {
public:
    ElementAccessible(CHidMouseDlg& window, Element stop) : DrawnPartAccessible(window), m_stop(stop) {}

    bool isValid() const override { return m_owner && onPage(*m_owner, m_stop); }

    QString text(QAccessible::Text t) const override
    {
        if (!isValid())
            return {};
        const ElementInfo info = describe(m_stop, m_owner->controller());
        if (t == QAccessible::Name)
            return qs(info.name);
        if (t == QAccessible::Value)
            return qs(info.value);
        return {};
    }
    QRect rect() const override
    {
        if (!isValid())
            return {};
        const Rect r = focusRect(m_stop, m_owner->dpiRows());
        return {m_owner->mapToGlobal(QPoint(r.x, r.y)), QSize(r.w, r.h)};
    }
    QAccessible::Role role() const override
    {
        return isValid() ? qtRole(describe(m_stop, m_owner->controller())) : QAccessible::NoRole;
    }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        const ElementInfo info = describe(m_stop, m_owner->controller());
        s.focusable = true;
        s.focused = m_owner->focusElement() == m_stop;
        s.checkable = info.checkable;
        s.checked = info.checked;
        s.disabled = info.disabled;
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
        const Element stop = m_stop;
        if (name == pressAction())
            later([stop](CHidMouseDlg& window) { window.activate(stop); });
        else if (name == increaseAction() || name == decreaseAction())
            later([stop, up = name == increaseAction()](CHidMouseDlg& window) {
                window.arrow(stop, up ? Qt::Key_Up : Qt::Key_Down);
            });
    }

    QVariant currentValue() const override { return isValid() ? describe(m_stop, m_owner->controller()).current : 0; }
    void setCurrentValue(const QVariant& value) override
    {
        if (isValid())
            m_owner->setStopValue(m_stop, value.toInt());
    }
    QVariant maximumValue() const override { return isValid() ? describe(m_stop, m_owner->controller()).maximum : 0; }
    QVariant minimumValue() const override { return isValid() ? describe(m_stop, m_owner->controller()).minimum : 0; }
    QVariant minimumStepSize() const override { return 1; }

private:
    Element m_stop;
};

// The window: its children are the page's stops, a field or list that is a
// control of its own standing for its stop, then the lists that are open.
class CanvasAccessible : public ListedChildrenAccessible {
public:
    explicit CanvasAccessible(CHidMouseDlg* window) : ListedChildrenAccessible(window, QAccessible::Window) {}
    ~CanvasAccessible() override { forgetParts(); }

    CHidMouseDlg* canvas() const { return static_cast<CHidMouseDlg*>(widget()); }

    QAccessibleInterface* stopInterface(Element stop) const
    {
        if (QWidget* control = canvas()->controlOf(stop))
            return QAccessible::queryAccessibleInterface(control);
        return registered(static_cast<std::size_t>(stop),
                          [this, stop] { return new ElementAccessible(*canvas(), stop); });
    }

    std::vector<QAccessibleInterface*> children() const override
    {
        std::vector<QAccessibleInterface*> all;
        std::vector<QWidget*> controls;
        for (Element stop : focusOrder(canvas()->controller().currentPage())) {
            if (QWidget* control = canvas()->controlOf(stop))
                controls.push_back(control);
            all.push_back(stopInterface(stop));
        }
        for (QWidget* child : canvas()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            if (child->isVisible() && std::find(controls.begin(), controls.end(), child) == controls.end())
                all.push_back(QAccessible::queryAccessibleInterface(child));
        all.erase(std::remove(all.begin(), all.end(), nullptr), all.end());
        return all;
    }
    QAccessibleInterface* focusChild() const override
    {
        const Element focus = canvas()->focusElement();
        if (focus == Element::None || !onPage(*canvas(), focus))
            return nullptr;
        return stopInterface(focus);
    }
};

QAccessibleInterface* canvasFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("varcel::ui::CHidMouseDlg") && object && object->isWidgetType())
        return new CanvasAccessible(static_cast<CHidMouseDlg*>(object));
    return nullptr;
}

} // namespace

void installAccessibleCanvas() { installOnce<canvasFactory>(); }

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

void AccessibleAnnouncer::listRowMoved(QWidget* list, int row)
{
    if (!listening() || !list || row < 0)
        return;
    QAccessibleEvent event(list, QAccessible::Focus);
    event.setChild(row);
    deliver(event);
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
