// What a page of the main window may ask of the window it is shown in: to
// draw into the window's canvas, a list box or a dialog over it, a message
// box, the skin and fonts it draws with. What the page shows and changes is
// the controller's, which the page holds itself.
#pragma once

#include "ui/layout.h"

#include <QStringList>

#include <functional>
#include <vector>

class QFont;
class QListWidget;
class QPainter;
class QWidget;

namespace varcel {
class Reporter;
}

namespace varcel::ui {

class Skin;

class PageHost {
public:
    // The window: the parent of the page's fields, lists and dialogs.
    virtual QWidget& widget() = 0;
    virtual Skin& skin() = 0;
    // Message boxes over the window.
    virtual Reporter& reporter() = 0;
    virtual const QFont& font() const = 0;
    virtual const QFont& titleFont() const = 0;

    // One drawing operation: paint into the canvas, then one update.
    virtual void drawing(const std::function<void(QPainter&)>& paint) = 0;
    // An element in its normal or "over" look, the page's own kinds by the page.
    virtual void drawElement(QPainter& painter, Element element, bool over) = 0;
    // The background under one element, the page's art included.
    virtual void restoreBackground(QPainter& painter, const Rect& r) = 0;
    // The frame's buttons, common to both pages.
    virtual void drawCommon(QPainter& painter) = 0;
    virtual void redrawElements(const std::vector<Element>& elements) = 0;
    // The whole page shown anew.
    virtual void redrawPage() = 0;

    // A drop-down list over the window in the skin's look; `valueRow` is the
    // row of the value the list's face shows (-1: none).
    virtual QListWidget* makeList(const QString& name, const QStringList& rows, const Rect& where,
                                  int valueRow = -1) = 0;
    // The keyboard moved along an open list: screen readers hear of it.
    virtual void listRowMoved(QWidget* list, int row) = 0;

protected:
    ~PageHost() = default;
};

} // namespace varcel::ui
