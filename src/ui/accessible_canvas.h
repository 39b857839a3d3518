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

class CHidMouseDlg;

// Makes Qt ask us for the window's accessible object; once per program.
void installAccessibleCanvas();

// The accessible child that stands for a stop of the shown page, null when
// the stop is not on the page.
QAccessibleInterface* accessibleStop(CHidMouseDlg& window, Element stop);

// Tells screen readers what changed since its last call: names, states and
// values of the shown page's stops, a new page, the focus.
class AccessibleAnnouncer {
public:
    void announce(CHidMouseDlg& window);
    void focusMoved(CHidMouseDlg& window, Element stop);
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
