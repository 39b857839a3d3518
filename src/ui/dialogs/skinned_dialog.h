// The base of every small dialog: a frameless window drawn from the skin's
// background image, OK, Cancel and the close button as drawn areas with their
// hover images, its name on the header strip, texts in the skin's text
// colour, text fields and one drop-down row list in the skin's look, with
// hover selection and wheel scrolling.
// Each dialog adds its own parts and asks its model (in the core) what a
// click or a key means.
#pragma once

#include "lang/language.h"
#include "ui/dialogs/dialog_keys.h"
#include "ui/key_capture.h"
#include "ui/layout.h"
#include "ui/skin.h"

#include <QDialog>
#include <QFont>
#include <QImage>
#include <QListWidget>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>

class QLabel;
class QLineEdit;

namespace varcel {
class Reporter;
}

namespace varcel::ui {

// The dialogs' font: Arial 14 in English, a CJK face in Chinese.
QFont dialogFont(Language language);

class SkinnedDialog : public QDialog, public KeyedDialog {
    Q_OBJECT
public:
    enum class Over { None, Ok, Cancel, Close };

    // Loads the background from `skin`; when it is missing, tells the user in
    // a message box with the text "error" and the caption `failedCaption`.
    SkinnedDialog(Dialog which, const Skin& skin, Language language, Reporter& reporter, const char* failedCaption,
                  QWidget* parent = nullptr);
    ~SkinnedDialog() override;

    // False when the skin lacks the background: the dialog then offers only
    // OK, Cancel and close, and returns its initial values.
    bool hasBackground() const { return !m_background.isNull(); }
    const DialogLayout& layout() const { return dialogLayout(m_which); }
    Language language() const { return m_language; }
    Over over() const { return m_over; }
    // Whether the dialog's key capture is watching the keyboard.
    bool isCapturingKeys() const;
    // The open row list, or null.
    QListWidget* rowList() const { return m_list; }
    // The dialog as drawn, for screenshots.
    QImage grabImage();

    // The keyboard's stops, focus and mark, which screen readers share.
    DialogKeys& keys() override { return m_keys; }
    bool focusMarkShown() const { return m_keys.markShown(); }
    // Whether option box `option` (from 0) is the chosen one.
    virtual bool optionChecked(int option) const
    {
        (void)option;
        return false;
    }

    // The click positions of the drawn buttons, in dialog coordinates.
    QPoint okPoint() const;
    QPoint cancelPoint() const;
    QPoint closePoint() const;

protected:
    // The dialog's own drawing, between the background and the buttons.
    virtual void paintContents(QPainter& painter);
    // A click that is not on OK, Cancel, close or the open list.
    virtual void clickAt(const QPoint& pos);
    // The list closed without a choice (a click elsewhere, a second click on its face).
    virtual void listClosed() {}
    // The text of a face the dialog draws itself (no label on it).
    virtual QString faceText() const { return {}; }

    // Runs the dialog: `result()` when confirmed, nothing when cancelled.
    template <class Result>
    auto confirmed(Result result) -> std::optional<decltype(result())>
    {
        if (exec() != QDialog::Accepted)
            return std::nullopt;
        return result();
    }

    // The dialog's name: drawn on its header strip and given to the window.
    void setTitle(const char* title);
    // A single-line text field at `where` in the skin's field colours, centred.
    QLineEdit* makeField(const Rect& where, const QString& objectName);
    // A text face at `where` showing a text, in the field colours; clicks go
    // through to the dialog.
    QLabel* makeFace(const Rect& where, const QString& objectName, Qt::Alignment align = Qt::AlignCenter);
    // Opens the row list at `where` with `rows`, `selected` marked; `chosen`
    // runs with the row clicked (the list is closed by then).
    void openList(const QStringList& rows, const Rect& where, int selected, std::function<void(int)> chosen);
    void closeList();
    // Three rows per wheel notch, up for a forward turn.
    void scrollList(int angleDelta);

    // Starts the dialog's key capture; when it cannot start, says so with
    // `failureFormat` (its %d the error number) and the dialog captures nothing.
    // From then on, while the keyboard is on the key field, Enter and Escape
    // are keys to choose, not OK and Cancel, and F1 asks for no help (the
    // capture has named them already); so are the Windows keys when
    // `windowsKeysToo`. On another stop (OK, Cancel, close, the modifier
    // list) the key dialogs take no keys, and Space, Enter, the arrows and
    // Escape work as in any dialog.
    void startKeyCapture(const char* failureFormat, bool windowsKeysToo,
                         std::function<void(const CapturedKey&)> handler);

    void drawText(QPainter& painter, const TextSpot& spot, const QString& text, const QColor& colour,
                  int flags = 0) const;
    const QColor& textColour() const { return m_skin.textColour(); }
    const Skin& skin() const { return m_skin; }
    const QFont& font() const { return m_font; }
    Reporter& reporter() { return m_reporter; }

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    // Enter confirms and Escape cancels, as in any dialog; the key dialogs
    // capture both as keys instead.
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // A dialog that ends stops capturing keys at once.
    void done(int result) override;

private:
    void setOver(Over over);
    // A click at a point of the dialog, from the mouse or the keyboard.
    void pressAt(const QPoint& p);
    // The open list is done: `row` taken, or none when -1.
    void takeRow(int row);
    // A key the key field's capture has named already, dropped here.
    bool capturedKey(const QKeyEvent& event) const;
    QString text(const LangText& t) const;

    Dialog m_which;
    const Skin& m_skin;
    Language m_language;
    Reporter& m_reporter;
    QImage m_background;
    QFont m_font;
    QString m_title;
    Over m_over = Over::None;
    QPointer<QListWidget> m_list;
    std::function<void(int)> m_chosen;
    int m_wheelRest = 0;
    std::unique_ptr<KeyCapture> m_capture;
    bool m_keyDialog = false;
    bool m_windowsKeysToo = false;
    bool m_fieldHasKey = false; // a key was pressed in the key field since it got the focus
    bool m_tabIsKey = false;    // the Tab being pressed is that key
    DialogKeys m_keys;
};

} // namespace varcel::ui
