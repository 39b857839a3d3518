// The keyboard in a small dialog, shared by the skinned parameter dialogs
// and the skin dialog: Tab and Shift+Tab through the stops its layout gives
// (list face, fields, option boxes, swatch, OK, Cancel, close) with a mark in
// the skin's text colour, Space and Enter pressing the stop, Down opening a
// list from its face and going along an open list. Screen readers get the
// same stops (accessible_dialog.h).
#pragma once

#include "lang/language.h"
#include "ui/focus_order.h"

#include <QString>

#include <functional>
#include <optional>
#include <vector>

class QColor;
class QDialog;
class QKeyEvent;
class QListWidget;
class QPainter;
class QPoint;

namespace varcel::ui {

// The stops of a small dialog as the keyboard and screen readers go through
// them. Screen readers hear of the stop the keyboard goes to as the dialog's
// child of that index: its accessible object lists its stops first, in order.
class DialogKeys {
public:
    struct Hooks {
        // Whether the dialog has its background, and so its parts beyond OK,
        // Cancel and close.
        std::function<bool()> complete;
        // What a click at a point of the dialog does.
        std::function<void(const QPoint&)> press;
        // The open row list, or null.
        std::function<QListWidget*()> openList;
        // The open list is done: the row taken, or -1 when closed without one.
        std::function<void(int row)> listDone;
        // Whether option box `option` (from 0) is the chosen one.
        std::function<bool(int option)> optionChecked;
        // The text of a face the dialog draws itself (no label on it).
        std::function<QString()> faceText;
    };

    DialogKeys(QDialog& dialog, Dialog which, Language language, Hooks hooks);

    Dialog which() const { return m_which; }
    Language language() const { return m_language; }
    std::vector<DialogStop> stops() const { return dialogStops(m_which, !m_hooks.complete || m_hooks.complete()); }
    // The stop the keyboard is on (the first as the dialog opens), and whether
    // its mark shows: only once Tab has been used, until the next click.
    int focus() const { return m_focus; }
    bool markShown() const { return m_markShown; }
    // The keyboard has gone from a key field to another stop, or a list is open.
    bool offKeyField() const;
    QListWidget* openList() const { return m_hooks.openList ? m_hooks.openList() : nullptr; }
    bool optionChecked(int option) const { return m_hooks.optionChecked && m_hooks.optionChecked(option); }

    // Tab (next) or Shift+Tab.
    void move(bool next);
    // Space, Enter, the arrows and Escape for the open list or the stop with
    // the focus: true when taken.
    bool key(const QKeyEvent& event);
    void clicked() { m_markShown = false; }
    void pressStop(int stop);
    // The text the stop shows (a face's row, a field's text), if any.
    QString stopText(int stop) const;
    void drawMark(QPainter& painter, const QColor& colour) const;

private:
    std::optional<DialogStop> focused() const;

    QDialog& m_dialog;
    Dialog m_which;
    Language m_language;
    Hooks m_hooks;
    int m_focus = 0;
    bool m_markShown = false;
};

// A dialog the keyboard goes through with DialogKeys; its accessible object
// reads the stops there.
class KeyedDialog {
public:
    virtual DialogKeys& keys() = 0;

protected:
    ~KeyedDialog() = default;
};

} // namespace varcel::ui
