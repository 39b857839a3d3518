#include "ui/advanced_page.h"

#include "lang/dialog_strings.h"
#include "lang/ui_strings.h"
#include "macros/macro_entry.h"
#include "ui/dialogs/delay_time_dialog.h"
#include "ui/focus_order.h"
#include "ui/key_capture.h"

#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QWindow>

#include <algorithm>

namespace varcel::ui {

namespace {

// The lists' solid background when the skin paints no frame for them.
const QColor kListBackground(2, 4, 5);

PointerSlider sliderOf(int slider)
{
    return slider == 0 ? PointerSlider::Speed : slider == 1 ? PointerSlider::Lines : PointerSlider::DoubleClick;
}

// The entries as they read: "R   Dn" keeps its three blanks in record.ini,
// one is enough on screen.
QString readable(const std::string& entry)
{
    return qs(entry).replace(QRegularExpression(QStringLiteral(" {2,}")), QStringLiteral(" "));
}

template <class Texts>
QStringList rowsOf(const Texts& texts)
{
    QStringList rows;
    for (const auto& t : texts)
        rows << readable(t);
    return rows;
}

// A list box's rows made equal to `rows`, the selection to `selected`.
void showRows(QListWidget* list, const QStringList& rows, int selected)
{
    bool same = list->count() == rows.size();
    for (int i = 0; same && i < rows.size(); ++i)
        same = list->item(i)->text() == rows[i];
    if (!same) {
        list->clear();
        for (const QString& row : rows) {
            auto* item = new QListWidgetItem(row, list);
            item->setSizeHint(QSize(0, kListRowHeight));
        }
    }
    list->setCurrentRow(selected);
    if (selected < 0)
        list->clearSelection();
    else
        list->scrollToItem(list->item(selected));
}

} // namespace

AdvancedPage::AdvancedPage(PageHost& host, MainController& controller) : WindowPage(host, controller)
{
    setUpModels();
    askDelete = [this](const QPoint& pos) {
        QMenu menu(&m_host.widget());
        QAction* remove = menu.addAction(qs(uiString(m_controller.language(), UiString::Delete)));
        return m_eventList && menu.exec(m_eventList->viewport()->mapToGlobal(pos)) == remove;
    };
}

AdvancedPage::~AdvancedPage() = default;

void AdvancedPage::setUpModels()
{
    m_controller.macroPage().delayDialog = [this]() -> std::optional<std::string> {
        auto delay = dialog<CDelayTimeDialog>();
        if (!delay.hasBackground())
            return std::nullopt;
        const MacroPage& page = m_controller.macroPage();
        if (const int row = page.selectedEvent(); row >= 0 && row < static_cast<int>(page.events().size()))
            delay.showPause(page.events()[static_cast<std::size_t>(row)]);
        return delay.run();
    };
    MacroRecorder& recorder = m_controller.recorder();
    recorder.installHook = [this] {
        startRecordingCapture();
        const int error = m_capture->install();
        if (error != 0)
            QCoreApplication::instance()->removeEventFilter(m_pressFilter.get());
        return error;
    };
    recorder.removeHook = [this] {
        if (m_capture)
            m_capture->remove();
        if (m_pressFilter)
            QCoreApplication::instance()->removeEventFilter(m_pressFilter.get());
        if (m_controller.currentPage() == varcel::Page::Advanced)
            m_host.redrawElements({Element::StartRecording});
    };
    recorder.setWindowTitle = [this](const std::string& title) { m_host.widget().setWindowTitle(qs(title)); };
}

void AdvancedPage::startRecordingCapture()
{
    // While recording runs, a key press reaches no field of the window:
    // typing a macro must not also edit the name or the loop count. Releases
    // pass, and so do presses for a message box over the window.
    if (!m_pressFilter)
        m_pressFilter = std::make_unique<EventFilter>([&window = m_host.widget()](QObject* receiver, QEvent* event) {
            if (event->type() != QEvent::KeyPress)
                return false;
            if (auto* widget = qobject_cast<QWidget*>(receiver))
                return widget->window() == &window;
            auto* handle = qobject_cast<QWindow*>(receiver);
            return handle && handle == window.windowHandle();
        });
    // The filter installed last runs first: the capture names the key, then
    // the press filter keeps the press from the fields.
    QCoreApplication::instance()->installEventFilter(m_pressFilter.get());
    m_capture = std::make_unique<KeyCapture>(
        [this](const CapturedKey& key) {
            // The key that answers a message box over the window (the one
            // "Stop Recording" shows first) is not part of the macro.
            if (QApplication::activeModalWidget())
                return;
            m_controller.recorder().keyEvent(
                key.evdevCode, key.press ? MacroRecorder::KeyAction::Press : MacroRecorder::KeyAction::Release,
                key.autoRepeat, key.time);
            syncMacroControls();
        },
        false);
}

bool AdvancedPage::isRecording() const { return m_controller.recorder().isHookInstalled(); }

// ---- Drawing --------------------------------------------------------------

void AdvancedPage::paintBackground(QPainter& painter, const Rect& area)
{
    m_host.skin().drawPart(painter, QStringLiteral("AdvancedSet2.png"), qrect(area));
}

void AdvancedPage::draw(QPainter& painter)
{
    drawFrame(painter, UiString::AdvancedSettings,
              {{Caption::MouseSpeed, UiString::MouseSpeed},
               {Caption::ScrollingSpeed, UiString::ScrollingSpeed},
               {Caption::DoubleClickSpeed, UiString::DoubleClickSpeed},
               {Caption::PrecisionLabel, UiString::EnhancePointerPrecision},
               {Caption::OneScreenLabel, UiString::ScrollOneScreen},
               {Caption::MacroSetting, UiString::MacroSetting},
               {Caption::SelectMacro, UiString::SelectMacro},
               {Caption::KeyPressSequence, UiString::KeyPressSequence},
               {Caption::RecordOption, UiString::RecordOption},
               {Caption::MacroName, UiString::MacroName},
               {Caption::LoopTimes, UiString::LoopTimes},
               {Caption::InsertMouseEvent, UiString::InsertAMouseEvent}});
    write(painter, caption(Caption::PointerSetting).spot, qs(text::kPointerSetting(m_controller.language())));
    for (Element e : {Element::PointerDefault, Element::MacroNew, Element::MacroDelete, Element::MacroConfirm,
                      Element::StartRecording, Element::StopRecording})
        m_host.drawElement(painter, e, false);
    for (int slider = 0; slider < kPointerSliders; ++slider)
        for (int step = 0; step < kPointerSteps; ++step)
            write(painter, pointerStepLabel(slider, step), QString::number(step + 1));
    drawPointerBlock(painter);
    drawInsertFace(painter);
    createControls();
    syncMacroControls();
}

bool AdvancedPage::drawElement(QPainter& painter, Element e, bool)
{
    if (e != Element::StartRecording)
        return false;
    // The frameless window shows no title: "Start Recording" stays lit while
    // the recording runs, so the user sees that keys are being taken.
    const Rect r = ui::rect(e);
    putImage(painter, r, isRecording() ? QStringLiteral("button-over.png") : QStringLiteral("button-normal.png"));
    write(painter, buttonTextSpot(r), qs(uiString(m_controller.language(), UiString::StartRecording)));
    return true;
}

void AdvancedPage::drawPointerBlock(QPainter& painter)
{
    const PointerPage& pointer = m_controller.pointer();
    for (auto [box, ticked] : {std::pair{Element::PrecisionBox, pointer.precision()},
                               std::pair{Element::OneScreenBox, pointer.oneScreen()}})
        putImage(painter, ui::rect(box), ticked ? QStringLiteral("PaneMakingTick.png") : QStringLiteral("Pane.png"));
    for (int slider = 0; slider < kPointerSliders; ++slider) {
        const int position = pointer.position(sliderOf(slider));
        for (int step = 0; step < kPointerSteps; ++step)
            putImage(painter, ui::rect(pointerSegment(slider, step)),
                     step < position ? QStringLiteral("slider-light.png") : QStringLiteral("slider-dark.png"));
    }
}

void AdvancedPage::redrawPointerBlock()
{
    m_host.drawing([this](QPainter& painter) { drawPointerBlock(painter); });
}

void AdvancedPage::drawInsertFace(QPainter& painter)
{
    const Rect r = ui::rect(Element::InsertFace);
    m_host.restoreBackground(painter, r);
    // The face's right end holds the drop-down arrow of the background.
    const Rect textArea{r.x + 4, r.y, r.w - 4 - r.h, r.h};
    write(painter, {textArea, Align::Centre}, readable(m_controller.macroPage().insertFace()));
}

// ---- Controls -------------------------------------------------------------

void AdvancedPage::createControls()
{
    if (m_macroList)
        return;
    const QColor text = m_host.skin().textColour();
    // The lists and fields take the inside of the frames the skin paints for
    // them: the skin chose its text colour to read there (a light skin's dark
    // text would vanish on the near-black of the dark one).
    QColor background = kListBackground;
    const QImage& art = m_host.skin().image(QStringLiteral("AdvancedSet2.png"));
    const Rect inside = ui::rect(Element::EventList);
    const QPoint middle = QPointF((inside.x + inside.w / 2) * art.devicePixelRatio(),
                                  (inside.y + inside.h / 2) * art.devicePixelRatio())
                              .toPoint();
    if (art.valid(middle))
        background = art.pixelColor(middle);
    background.setAlpha(255);
    // The selected macro and entry in the skin's highlight, as in every list:
    // a tint of the background was too faint to find on white.
    const SkinLook& look = m_host.skin().look();
    const QString listStyle =
        QStringLiteral("QListWidget { background: %1; color: %2; border: none; outline: 0; }"
                       "QListWidget::item { padding: 0px 6px; background: transparent; }"
                       "QListWidget::item:selected { background: %3; color: %4; }")
            .arg(background.name(), text.name(), look.hover.name(), look.hoverText.name());
    const QString fieldStyle = QStringLiteral("QLineEdit { background: %1; color: %2; border: none; }")
                                   .arg(background.name(), text.name());
    // A list or field inside the frame the background paints for `e`, one pixel in.
    const auto place = [&](auto* control, const QString& name, Element e, const QString& style) {
        control->setObjectName(name);
        control->setStyleSheet(style);
        control->setFont(m_host.font());
        const Rect r = ui::rect(e);
        control->setGeometry(r.x + 1, r.y + 1, r.w - 2, r.h - 2);
        control->show();
        return control;
    };
    const auto makeList = [&](const QString& name, Element e) {
        auto* list = place(new QListWidget(&m_host.widget()), name, e, listStyle);
        list->setMouseTracking(true);
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        list->setFocusPolicy(Qt::NoFocus);
        return list;
    };
    // Shown while a list is empty: what to do to fill it.
    const auto makeHint = [&](QListWidget* list, const LangText& hint) {
        auto* label = new QLabel(qs(hint(m_controller.language())), list->viewport());
        label->setAlignment(Qt::AlignCenter);
        label->setWordWrap(true);
        label->setFont(m_host.font());
        label->setStyleSheet(QStringLiteral("QLabel { color: %1; background: transparent; padding: 6px; }")
                                 .arg(look.hint.name()));
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        label->setGeometry(QRect(QPoint(0, 0), list->size()));
        return label;
    };
    MacroPage& model = m_controller.macroPage();

    m_macroList = makeList(QStringLiteral("macroList"), Element::MacroList);
    m_macroHint = makeHint(m_macroList, text::kNoMacrosHint);
    connect(m_macroList, &QListWidget::currentRowChanged, this, [this, &model](int row) {
        if (m_syncing || row < 0)
            return;
        model.selectMacro(row);
        syncMacroControls();
    });

    m_eventList = makeList(QStringLiteral("eventList"), Element::EventList);
    m_eventHint = makeHint(m_eventList, text::kNoEventsHint);
    m_eventList->setContextMenuPolicy(Qt::CustomContextMenu);
    // The entry under the pointer is the selected one, so a right-click
    // deletes what the pointer rests on.
    connect(m_eventList, &QListWidget::itemEntered, this, [this, &model](QListWidgetItem* item) {
        model.selectEvent(m_eventList->row(item));
        syncMacroControls();
    });
    connect(m_eventList, &QListWidget::currentRowChanged, this, [this, &model](int row) {
        if (!m_syncing)
            model.selectEvent(row);
    });
    connect(m_eventList, &QListWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { eventListContextMenu(pos); });
    connect(m_eventList, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { eventListDoubleClicked(m_eventList->row(item)); });

    const auto makeField = [&](const QString& name, Element e) {
        auto* field = place(new QLineEdit(&m_host.widget()), name, e, fieldStyle);
        field->setAlignment(Qt::AlignCenter);
        field->setFrame(false);
        return field;
    };
    m_nameField = makeField(QStringLiteral("macroNameField"), Element::MacroNameEdit);
    m_nameField->setMaxLength(static_cast<int>(kMacroNameLength));
    connect(m_nameField, &QLineEdit::textEdited, this, [this, &model](const QString& typed) {
        // The name never outgrows the field: it does not scroll sideways.
        const int room = m_nameField->contentsRect().width() - 6;
        if (QFontMetrics(m_nameField->font()).horizontalAdvance(typed) > room)
            m_nameField->undo();
        else
            model.setNameText(typed.toStdString());
        syncMacroControls();
    });
    m_loopField = makeField(QStringLiteral("loopField"), Element::LoopEdit);
    m_loopField->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_loopField));
    connect(m_loopField, &QLineEdit::textChanged, this, [this, &model](const QString& typed) {
        if (m_syncing)
            return;
        model.setLoopText(typed.toStdString());
        syncMacroControls();
    });
    // Screen readers name them as the page's other elements.
    for (Element e : {Element::MacroList, Element::EventList, Element::MacroNameEdit, Element::LoopEdit})
        controlOf(e)->setAccessibleName(qs(describe(e, m_controller).name));
    // A click on a list or field is a click beside the mouse-event list too.
    for (QWidget* control : {static_cast<QWidget*>(m_macroList->viewport()),
                             static_cast<QWidget*>(m_eventList->viewport()), static_cast<QWidget*>(m_nameField.data()),
                             static_cast<QWidget*>(m_loopField.data())})
        control->installEventFilter(this);
}

bool AdvancedPage::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress && m_mouseEventList)
        closeLists();
    return WindowPage::eventFilter(watched, event);
}

void AdvancedPage::tearDown()
{
    closeLists();
    discard(m_macroList);
    discard(m_eventList);
    discard(m_nameField);
    discard(m_loopField);
}

void AdvancedPage::syncMacroControls()
{
    if (!m_macroList)
        return;
    const MacroPage& model = m_controller.macroPage();
    m_syncing = true;
    showRows(m_macroList, rowsOf(model.macros()), model.selectedMacro());
    showRows(m_eventList, rowsOf(model.events()), model.selectedEvent());
    m_macroHint->setVisible(m_macroList->count() == 0);
    m_eventHint->setVisible(m_eventList->count() == 0);
    if (m_nameField->text() != qs(model.nameText()))
        m_nameField->setText(qs(model.nameText()));
    if (m_loopField->text() != qs(model.loopText()))
        m_loopField->setText(qs(model.loopText()));
    m_syncing = false;
}

void AdvancedPage::openMouseEventList()
{
    m_mouseEventList = m_host.makeList(QStringLiteral("mouseEventList"), rowsOf(text::kMouseEvents), mouseEventListRect());
    m_mouseEventList->setAccessibleName(qs(describe(Element::InsertFace, m_controller).name));
    MacroPage& model = m_controller.macroPage();
    connect(m_mouseEventList, &QListWidget::itemEntered, this, [this, &model](QListWidgetItem* item) {
        model.hoverMouseEvent(m_mouseEventList->row(item));
        m_mouseEventList->setCurrentRow(model.hoveredMouseEvent());
    });
    connect(m_mouseEventList, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { chooseMouseEvent(m_mouseEventList->row(item)); });
}

void AdvancedPage::chooseMouseEvent(int row)
{
    m_controller.macroPage().insertMouseEvent(row);
    closeLists();
    m_host.drawing([this](QPainter& painter) { drawInsertFace(painter); });
    syncMacroControls();
}

void AdvancedPage::closeLists()
{
    m_controller.macroPage().closeMouseEventList();
    discard(m_mouseEventList);
}

void AdvancedPage::closeListsMissing(Element hit)
{
    if (hit != Element::InsertFace)
        closeLists();
}

// ---- Clicks ----------------------------------------------------------------

bool AdvancedPage::click(Element hit)
{
    MainController& controller = m_controller;
    PointerPage& pointer = controller.pointer();
    MacroPage& macros = controller.macroPage();
    switch (hit) {
    case Element::None: return false;
    case Element::PrecisionBox: pointer.togglePrecision(); redrawPointerBlock(); return true;
    case Element::OneScreenBox: pointer.toggleOneScreen(); redrawPointerBlock(); return true;
    case Element::PointerDefault: pointer.restoreDefaults(); redrawPointerBlock(); return true;
    case Element::MacroNew: macros.newMacro(); break;
    case Element::MacroDelete: macros.deleteMacro(); break;
    case Element::MacroConfirm: macros.confirm(); break;
    case Element::StartRecording:
    case Element::StopRecording:
        if (hit == Element::StartRecording)
            controller.recorder().start();
        else
            controller.recorder().stop();
        m_host.redrawElements({Element::StartRecording});
        break;
    case Element::InsertFace:
        if (m_mouseEventList) {
            closeLists();
        } else {
            macros.toggleMouseEventList();
            openMouseEventList();
        }
        return true;
    default:
        if (inRange(hit, Element::PointerSegmentFirst, Element::PointerSegmentLast)) {
            const int index = indexIn(hit, Element::PointerSegmentFirst);
            pointer.setPosition(sliderOf(index / kPointerSteps), index % kPointerSteps + 1);
            redrawPointerBlock();
        }
        return true;
    }
    syncMacroControls();
    return true;
}

void AdvancedPage::eventListContextMenu(const QPoint& pos)
{
    if (!m_eventList)
        return;
    MacroPage& model = m_controller.macroPage();
    if (QListWidgetItem* item = m_eventList->itemAt(pos))
        model.selectEvent(m_eventList->row(item));
    syncMacroControls();
    if (askDelete && askDelete(pos))
        model.deleteEvent();
    syncMacroControls();
}

void AdvancedPage::eventListDoubleClicked(int row)
{
    MacroPage& model = m_controller.macroPage();
    model.selectEvent(row);
    model.editPause();
    syncMacroControls();
}

// ---- The keyboard ----------------------------------------------------------

bool AdvancedPage::listKey(int key)
{
    if (!m_mouseEventList)
        return false;
    MacroPage& model = m_controller.macroPage();
    const int down = key == Qt::Key_Down ? 1 : key == Qt::Key_Up ? -1 : 0;
    if (down != 0) {
        model.hoverMouseEvent(std::clamp(model.hoveredMouseEvent() + down, 0, m_mouseEventList->count() - 1));
        m_mouseEventList->setCurrentRow(model.hoveredMouseEvent());
        m_host.listRowMoved(m_mouseEventList, model.hoveredMouseEvent());
    } else if (key != Qt::Key_Left && key != Qt::Key_Right && model.hoveredMouseEvent() >= 0) {
        chooseMouseEvent(model.hoveredMouseEvent());
    }
    return true;
}

Element AdvancedPage::arrowKey(Element stop, int key)
{
    const int by = key == Qt::Key_Up || key == Qt::Key_Right ? 1 : key == Qt::Key_Down || key == Qt::Key_Left ? -1 : 0;
    MacroPage& model = m_controller.macroPage();
    if (by == 0)
        return Element::None;
    if (isPointerSlider(stop)) {
        setValue(stop, m_controller.pointer().position(sliderOf(pointerSliderIndex(stop))) + by);
        return stop;
    }
    // Down goes down a list, as on the screen.
    const int down = key == Qt::Key_Down ? 1 : key == Qt::Key_Up ? -1 : 0;
    if (stop == Element::MacroList && down != 0 && !model.macros().empty()) {
        model.selectMacro(std::clamp(model.selectedMacro() + down, 0, static_cast<int>(model.macros().size()) - 1));
        syncMacroControls();
        return stop;
    }
    if (stop == Element::EventList && down != 0 && !model.events().empty()) {
        model.selectEvent(std::clamp(model.selectedEvent() + down, 0, static_cast<int>(model.events().size()) - 1));
        syncMacroControls();
        return stop;
    }
    if (stop == Element::InsertFace && key == Qt::Key_Down) {
        click(stop);
        return stop;
    }
    return Element::None;
}

bool AdvancedPage::keyActivate(Element stop)
{
    // The fields take their keys themselves; on the event list a press
    // edits the selected pause, as a double-click does.
    if (stop == Element::MacroNameEdit || stop == Element::LoopEdit || stop == Element::MacroList)
        return true;
    if (stop == Element::EventList) {
        if (m_controller.macroPage().selectedEvent() >= 0)
            eventListDoubleClicked(m_controller.macroPage().selectedEvent());
        return true;
    }
    return false;
}

void AdvancedPage::setValue(Element stop, int value)
{
    if (!isPointerSlider(stop))
        return;
    m_controller.pointer().setPosition(sliderOf(pointerSliderIndex(stop)),
                                                std::clamp(value, 1, kPointerSteps));
    redrawPointerBlock();
}

QWidget* AdvancedPage::controlOf(Element element) const
{
    switch (element) {
    case Element::MacroList: return m_macroList;
    case Element::EventList: return m_eventList;
    case Element::MacroNameEdit: return m_nameField;
    case Element::LoopEdit: return m_loopField;
    default: return nullptr;
    }
}

} // namespace varcel::ui
