// The advanced page ("Advanced Settings"): the desktop's pointer settings and
// the macros, drawn from the working image. What a click does is decided in
// the core (the pointer block's model, the macro page and recording models);
// this page draws, keeps its fields and lists in step with the models, and
// routes clicks, field edits and key events to them.
#pragma once

#include "ui/window_page.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>

#include <functional>
#include <memory>

namespace varcel::ui {

class KeyCapture;

class AdvancedPage : public WindowPage {
public:
    AdvancedPage(PageHost& host, MainController& controller);
    ~AdvancedPage() override;

    void draw(QPainter& painter) override;
    void paintBackground(QPainter& painter, const Rect& area) override;
    bool drawElement(QPainter& painter, Element element, bool over) override;
    bool click(Element hit) override;
    void closeLists() override;
    void closeListsMissing(Element hit) override;
    void tearDown() override;

    bool hasOpenList() const override { return m_mouseEventList; }
    bool listKey(int key) override;
    Element arrowKey(Element stop, int key) override;
    bool keyActivate(Element stop) override;
    void setValue(Element stop, int value) override;
    QWidget* controlOf(Element element) const override;

    // The page's controls while it is shown, null otherwise.
    QListWidget* macroList() const { return m_macroList; }
    QListWidget* eventList() const { return m_eventList; }
    QLineEdit* nameField() const { return m_nameField; }
    QLineEdit* loopField() const { return m_loopField; }
    QListWidget* mouseEventList() const { return m_mouseEventList; }
    bool isRecording() const;

    // The event list's context menu at a point of the list: true when its
    // "Delete" was chosen. Tests answer it themselves.
    std::function<bool(const QPoint&)> askDelete;

    // A right-click and a double-click on a row of the event list, as the
    // list's own signals deliver them.
    void eventListContextMenu(const QPoint& pos);
    void eventListDoubleClicked(int row);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setUpModels();
    void createControls();
    // The controls show what the macro page model holds.
    void syncMacroControls();
    void drawPointerBlock(QPainter& painter);
    void drawInsertFace(QPainter& painter);
    void redrawPointerBlock();
    void openMouseEventList();
    void chooseMouseEvent(int row);
    void startRecordingCapture();

    QPointer<QListWidget> m_macroList;
    QPointer<QListWidget> m_eventList;
    QPointer<QLineEdit> m_nameField;
    QPointer<QLineEdit> m_loopField;
    QPointer<QListWidget> m_mouseEventList;
    // What an empty macro list and event list suggest doing.
    QPointer<QLabel> m_macroHint;
    QPointer<QLabel> m_eventHint;
    // Names each key for the recording; the key presses themselves are kept
    // from the fields by the press filter while the recording runs.
    std::unique_ptr<KeyCapture> m_capture;
    std::unique_ptr<QObject> m_pressFilter;
    bool m_syncing = false;
};

} // namespace varcel::ui
