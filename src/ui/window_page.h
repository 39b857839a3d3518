// One page of the main window. The window keeps the frame, the common
// elements, the tray and the canvas; a page draws its own part of the canvas,
// answers clicks on its own elements and owns the list boxes it opens.
#pragma once

#include "control/main_controller.h"
#include "lang/ui_strings.h"
#include "ui/layout.h"
#include "ui/page_host.h"
#include "ui/skin.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <initializer_list>
#include <string>
#include <utility>

class QPainter;

namespace varcel::ui {

// A control of a page may be the sender of the signal that removes it: it
// goes once the signal is over, and is out of sight and out of reach at once.
template <typename Widget>
void discard(QPointer<Widget>& widget)
{
    if (widget) {
        widget->hide();
        widget->deleteLater();
    }
    widget = nullptr;
}

// An event filter given as a function: true keeps the event from its receiver.
class EventFilter : public QObject {
public:
    explicit EventFilter(std::function<bool(QObject*, QEvent*)> filter) : m_filter(std::move(filter)) {}

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override { return m_filter(receiver, event); }

private:
    std::function<bool(QObject*, QEvent*)> m_filter;
};

class WindowPage : public QObject {
public:
    WindowPage(PageHost& host, MainController& controller) : m_host(host), m_controller(controller) {}

    // The whole page over the window's frame: background, captions, elements.
    virtual void draw(QPainter& painter) = 0;
    // The page's own background art over `area`, as the page's drawing starts.
    virtual void paintBackground(QPainter& painter, const Rect& area) = 0;
    // Draws an element whose look belongs to this page (true), or leaves it
    // to the window's common drawing (false).
    virtual bool drawElement(QPainter& /*painter*/, Element /*element*/, bool /*over*/) { return false; }
    // A click that is not on a common element. True when the page took it;
    // false leaves the empty background to move the window.
    virtual bool click(Element hit) = 0;
    // Closes every list box of the page, in the model and on screen.
    virtual void closeLists() {}
    // Runs first for every click on the window: lists whose face `hit` is
    // not close, whatever the click goes on to do.
    virtual void closeListsMissing(Element /*hit*/) {}
    // The page is being left: its controls go.
    virtual void tearDown() {}

    // ---- The keyboard ----
    // Whether one of the page's lists is open.
    virtual bool hasOpenList() const { return false; }
    // A key (arrows, Enter, Space) for the list that is open: true when the
    // list took it.
    virtual bool listKey(int /*key*/) { return false; }
    // An arrow key on the stop with the focus: the stop the focus is on
    // afterwards (itself when it stays), Element::None when the arrow means
    // nothing there.
    virtual Element arrowKey(Element /*stop*/, int /*key*/) { return Element::None; }
    // Space or Enter on a stop that does something else than a click there
    // would: true when the page took it.
    virtual bool keyActivate(Element /*stop*/) { return false; }
    // A slider or DPI bar set to a position (1 = the lowest).
    virtual void setValue(Element /*stop*/, int /*value*/) {}
    // The control that stands for an element, where the page uses one (a
    // field, a macro list); null for a drawn element.
    virtual QWidget* controlOf(Element /*element*/) const { return nullptr; }

protected:
    // The page's background, its title and captions, and the frame's buttons.
    void drawFrame(QPainter& painter, UiString title, std::initializer_list<std::pair<Caption, UiString>> captions)
    {
        paintBackground(painter, kWindowRect);
        drawText(painter, caption(Caption::PageTitle).spot, qs(uiString(m_controller.language(), title)),
                 m_host.titleFont(), Qt::white);
        for (const auto& [where, what] : captions)
            write(painter, caption(where).spot, qs(uiString(m_controller.language(), what)));
        m_host.drawCommon(painter);
    }
    // A text of the page in its font and the skin's text colour.
    void write(QPainter& painter, const TextSpot& spot, const QString& text) const
    {
        drawText(painter, spot, text, m_host.font(), m_host.skin().textColour());
    }

    // An image of the skin over the background of `r`.
    void putImage(QPainter& painter, const Rect& r, const QString& image) const
    {
        m_host.restoreBackground(painter, r);
        m_host.skin().drawImage(painter, image, r.x, r.y);
    }
    // A dialog over the window in its skin and language; `args` come before those.
    template <typename Dialog, typename... Args>
    Dialog dialog(Args&&... args) const
    {
        return Dialog(std::forward<Args>(args)..., m_host.skin(), m_controller.language(), m_host.reporter(),
                      &m_host.widget());
    }

    PageHost& m_host;
    MainController& m_controller;
};

} // namespace varcel::ui
