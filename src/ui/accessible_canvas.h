// What screen readers see of the window: the canvas as one accessible object
// whose children are the stops of the shown page (the same stops, in the same
// order, as the keyboard's), each with the role, name, state and value the
// core gives it; and the events that tell them of a change.
#pragma once

#include "ui/focus_order.h"

#include <functional>
#include <map>

class QAccessibleEvent;
class QAccessibleInterface;
class QWidget;

namespace varcel::ui {

class AdvancedPage;

// What the canvas's accessible objects read of the window and ask of it.
class AccessibleHost {
public:
    // The window the canvas is drawn in.
    virtual QWidget& widget() = 0;
    virtual MainController& controller() = 0;
    // Rows of the mouse's DPI list: the bars are this long.
    virtual int dpiRows() const = 0;
    // The stop of the shown page that has the focus, Element::None before there is one.
    virtual Element focusElement() const = 0;
    // The page's own control for a stop (a field, a macro list), or null.
    virtual QWidget* controlOf(Element stop) const = 0;
    // Space or Enter on a stop, or a screen reader's press: what a click on it does.
    virtual void activate(Element stop) = 0;
    // An arrow key on a stop: within a bar or slider, between the report
    // rate's positions, along a macro list.
    virtual void arrow(Element stop, int key) = 0;
    // A slider or DPI bar at a position (1 = the lowest), as a screen reader sets it.
    virtual void setStopValue(Element stop, int value) = 0;
    // The page whose event list has actions of its own.
    virtual AdvancedPage& advancedPage() = 0;

protected:
    ~AccessibleHost() = default;
};

// Makes Qt ask us for the window's accessible object; once per program.
void installAccessibleCanvas();

// The accessible child that stands for a stop of the shown page, null when
// the stop is not on the page.
QAccessibleInterface* accessibleStop(AccessibleHost& window, Element stop);

// Tells screen readers what changed since its last call: names, states and
// values of the shown page's stops, a new page, the focus.
class AccessibleAnnouncer {
public:
    void announce(AccessibleHost& window);
    void focusMoved(AccessibleHost& window, Element stop);
    // The keyboard moved along an open list, which keeps no focus of its own.
    void listRowMoved(QWidget* list, int row);

    // Where the events go: Qt's platform bridge (AT-SPI) unless set. Without
    // a screen reader there is no bridge, and nothing is worked out.
    std::function<void(QAccessibleEvent&)> send;

private:
    bool listening() const;
    void deliver(QAccessibleEvent& event);

    Page m_page = Page::None;
    std::map<Element, ElementInfo> m_last;
};

} // namespace varcel::ui
