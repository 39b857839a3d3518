#include "ui/main_window.h"

#include "device/device_commands.h"
#include "device/hotplug.h"
#include "device/sim/sim_control.h"
#include "lang/dialog_strings.h"
#include "lang/ui_strings.h"
#include "platform/frame_log.h"
#include "ui/advanced_page.h"
#include "ui/dialogs/skinned_dialog.h"
#include "ui/focus_order.h"
#include "ui/key_page.h"
#include "ui/skins_dialog.h"

#include <QActionGroup>
#include <QApplication>
#include <QBackingStore>
#include <QCloseEvent>
#include <QHelpEvent>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmapCache>
#include <QPushButton>
#include <QSocketNotifier>
#include <QToolTip>
#include <QWindow>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace varcel::ui {

namespace {

// The pointer must rest this long on an element before it lights up.
constexpr int kHoverMs = 10;
// A hidden window draws its next frame ahead this long after the last change
// it was told of, so that a burst of changes costs one drawing.
constexpr int kDrawAheadMs = 50;

// The longest the start waits for the tray host to show the tray icon.
constexpr int kDockWaitMs = 1000;

// The header's buttons show a picture of their own ("<name>-normal.png",
// "<name>-over.png") and no text; the other buttons are drawn from "button".
std::optional<QString> pictureOf(Element e)
{
    switch (e) {
    case Element::SkinButton: return QStringLiteral("button-Skins");
    case Element::MinimiseButton: return QStringLiteral("button-min");
    case Element::CloseButton: return QStringLiteral("button-close");
    case Element::Page1Button: return QStringLiteral("button-PrePage");
    case Element::Page2Button: return QStringLiteral("button-NextPage");
    default: return std::nullopt;
    }
}

// Calls a function from the event loop once the watched widget is first drawn.
class AfterFirstPaint : public QObject {
public:
    AfterFirstPaint(QWidget& watched, QObject& context, std::function<void()> then)
        : QObject(&watched), m_context(context), m_then(std::move(then))
    {
        watched.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            receiver->removeEventFilter(this);
            QTimer::singleShot(0, &m_context, m_then);
        }
        return false;
    }

private:
    QObject& m_context;
    std::function<void()> m_then;
};

} // namespace

QIcon appIcon()
{
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(0x16, 0x1a, 0x20));
    p.setPen(QPen(QColor(0x22, 0xd3, 0xee), 3));
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 14, 14);
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(20, 12, 24, 40), 12, 12);
    p.drawLine(QPointF(32, 12), QPointF(32, 26));
    return QIcon(pixmap);
}

void MessageBoxReporter::messageBox(const std::string& text, const std::string& caption)
{
    if (ending)
        return;
    QMessageBox box(QMessageBox::Warning, qs(caption), qs(text), QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void QueuedStatus::deviceStatus(StatusCode code, int value)
{
    // Never waits for the window thread: a long apply there must not stall
    // the reader, and the reader must not stall the window.
    QMetaObject::invokeMethod(
        m_receiver, [this, code, value] { if (deliver) deliver(code, value); }, Qt::QueuedConnection);
}

CHidMouseDlg::CHidMouseDlg(const Options& options, HidBackend& backend, QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::Tool), m_options(options), m_status(this)
{
    setWindowTitle(QStringLiteral("Varcel"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Out of sight, Varcel keeps none of the toolkit's drawn pieces either (the
    // frames, buttons and icons of balloons, the tray menu and the window):
    // while its pixmap cache holds any, the cache's clean-up timer wakes the
    // program every ten to thirty seconds, for minutes. So once any window
    // closes while the main window is hidden (the main window included), the
    // cache is emptied.
    m_cacheRelease = std::make_unique<EventFilter>([this](QObject* receiver, QEvent* event) {
        if (event->type() == QEvent::Hide && receiver->isWidgetType() &&
            static_cast<QWidget*>(receiver)->isWindow() && !isVisible())
            // After the window's own hiding, which may still draw.
            QTimer::singleShot(0, this, [this] {
                if (!isVisible())
                    QPixmapCache::clear();
            });
        return false;
    });
    QCoreApplication::instance()->installEventFilter(m_cacheRelease.get());
    setMouseTracking(true);
    m_controller = std::make_unique<MainController>(options.dataDir, backend, m_reporter, m_status, *this,
                                                    options.language);
    m_status.deliver = [this](StatusCode code, int value) {
        m_controller->deviceStatus(code, value);
        // An arriving mouse has just told its sensor type.
        if (code == StatusCode::Detected)
            m_keyPage->sensorTypeMayHaveChanged();
    };
    m_reporter.parent = this;
    m_hoverTimer.setSingleShot(true);
    m_hoverTimer.setInterval(kHoverMs);
    connect(&m_hoverTimer, &QTimer::timeout, this, &CHidMouseDlg::hoverNow);
    m_drawAheadTimer.setSingleShot(true);
    m_drawAheadTimer.setInterval(kDrawAheadMs);
    connect(&m_drawAheadTimer, &QTimer::timeout, this, &CHidMouseDlg::drawAhead);
    setUpFonts(options.language);
    setUpToolkitWindows(options.language);
    installAccessibleCanvas();
    m_keyPage = std::make_unique<KeyPage>(*this, *m_controller);
    m_advancedPage = std::make_unique<AdvancedPage>(*this, *m_controller);
}

CHidMouseDlg::~CHidMouseDlg()
{
    m_notifiers.clear();
    m_controller->exit();
}

void CHidMouseDlg::setUpFonts(Language language)
{
    // The dialogs' face; the page titles in Tahoma in English.
    m_font = dialogFont(language);
    m_titleFont = m_font;
    if (language == Language::English)
        m_titleFont.setFamily(QStringLiteral("Tahoma"));
    m_titleFont.setPixelSize(18);
    m_titleFont.setBold(true);
}

void CHidMouseDlg::setUpToolkitWindows(Language language)
{
    // Message boxes and the name prompt have buttons of the toolkit's own
    // ("OK", "Cancel"): in Chinese they come from Qt's translations.
    if (language != Language::English) {
        auto translator = std::make_unique<QTranslator>();
        const QString name = language == Language::SimplifiedChinese ? QStringLiteral("qtbase_zh_CN")
                                                                     : QStringLiteral("qtbase_zh_TW");
        if (translator->load(name, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            QCoreApplication::installTranslator(translator.get());
            m_qtTranslator = std::move(translator);
        }
    }
    // One type face across the window, its dialogs and the toolkit's.
    QApplication::setFont(dialogFont(language));
}

void CHidMouseDlg::applyToolkitStyle()
{
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
        app->setStyleSheet(m_skin.look().toolkitStyle());
}

void CHidMouseDlg::updateTrayTip()
{
    if (m_tray)
        m_tray->setToolTip(qs(trayTip(m_options.language, m_controller->session().ready())));
}

void CHidMouseDlg::endNow()
{
    m_reporter.ending = true;
    // The window shown must close, not hide into the tray: a close it turned
    // down would keep the program running through a logout.
    m_exiting = true;
    // A box shown before the program's main loop runs has the only loop
    // there is: quitting the application alone would not end it.
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isVisible())
            dialog->reject();
}

void CHidMouseDlg::startUp()
{
    const QWidgetList before = QApplication::topLevelWidgets();
    setUpTray();
    // On an X11 tray the icon is a window of its own, drawn once the tray
    // host has docked it. The rest of the start (config.bin, the mouse, the
    // skin, the frame drawn ahead, the bus) waits for that drawing, so the
    // host docks the icon without sharing the processor with it.
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->isVisible() && !before.contains(widget)) {
            new AfterFirstPaint(*widget, *this, [this] {
                logFrameMoment("icon");
                finishStartUp();
            });
            QTimer::singleShot(kDockWaitMs, this, &CHidMouseDlg::finishStartUp);
            return;
        }
    finishStartUp();
}

void CHidMouseDlg::finishStartUp()
{
    if (m_startedUp)
        return;
    m_startedUp = true;
    // The mouse's and the simulated mouse's news wait for the controller.
    for (const auto& notifier : m_notifiers)
        notifier->setEnabled(true);
    m_controller->startUp();
    const SkinSettings& skinSettings = m_controller->skin();
    m_skin.setFolder(Skin::folderFor(m_options.dataDir, skinSettings.path));
    // Until the user picks a colour, the skin's own suggestion is used.
    const bool picked = !skinSettings.rColor.empty() || !skinSettings.gColor.empty() || !skinSettings.bColor.empty();
    const TextColour colour = textColourForSkin(picked ? std::optional(textColourOf(skinSettings)) : std::nullopt,
                                                m_skin.folder(), toTextColour(m_skin.textColour()));
    m_skin.setTextColour(QColor(colour.r, colour.g, colour.b));
    applyToolkitStyle();
    updateTrayTip();
    // The window is as large as main.png, read without decoding it: the
    // images are decoded only while the window is in sight. A skin without
    // main.png leaves an empty window rather than none at all.
    const QSize frame = m_skin.imageSize(QStringLiteral("main.png"));
    setFixedSize(frame.isEmpty() ? QSize(kWindowWidth, kWindowHeight) : frame);
    // The native window is made now, while the user waits for nothing, so a
    // click on the tray icon only has to map it.
    winId();
    // Moved onto a screen of another scale, the window is drawn anew at the
    // new screen's pixels.
    connect(windowHandle(), &QWindow::screenChanged, this, [this] {
        if (!isVisible())
            return;
        prepareCanvas();
        update();
    });
    if (!m_options.trayAvailable)
        showWindow();
    emit startedUp();
}

void CHidMouseDlg::setUpTray()
{
    if (!m_options.trayAvailable)
        return;
    m_tray = new QSystemTrayIcon(windowIcon().isNull() ? appIcon() : windowIcon(), this);
    m_tray->setToolTip(qs(trayTip(m_options.language, false)));
    auto* menu = new QMenu(this);
    const Language language = m_options.language;
    QMenu* profiles = menu->addMenu(qs(text::kProfiles(language)));
    // Filled each time it opens: profiles come and go through varcelctl too.
    connect(profiles, &QMenu::aboutToShow, this, [this, profiles, language] {
        profiles->clear();
        // One profile of several is the active one: a choice, not ticks.
        auto* group = new QActionGroup(profiles);
        group->setExclusive(true);
        for (const MainController::ProfileEntry& entry : m_controller->profileMenu()) {
            QAction* action = profiles->addAction(qs(entry.name));
            action->setCheckable(true);
            action->setChecked(entry.active);
            group->addAction(action);
            const std::string name = entry.name;
            connect(action, &QAction::triggered, this, [this, name] { m_controller->switchProfile(name); });
        }
        profiles->addSeparator();
        profiles->addAction(qs(text::kSaveAsNewProfile(language)), this, [this, language] {
            // Over the window when it is in sight, else where the screen's
            // middle is; wide enough for a name.
            QInputDialog prompt(isVisible() ? this : nullptr, Qt::Dialog);
            prompt.setWindowTitle(qs(text::kProfiles(language)));
            prompt.setLabelText(qs(text::kProfileNamePrompt(language)));
            prompt.setInputMode(QInputDialog::TextInput);
            prompt.resize(360, prompt.sizeHint().height());
            if (isVisible())
                prompt.move(geometry().center() - QPoint(180, prompt.sizeHint().height() / 2));
            if (prompt.exec() == QDialog::Accepted)
                m_controller->saveNewProfile(prompt.textValue().toStdString());
        });
    });
    menu->addAction(qs(uiString(language, UiString::Exit)), this, &CHidMouseDlg::exitProgram);
    m_tray->setContextMenu(menu);
    connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            trayActivated();
    });
    m_tray->show();
}

void CHidMouseDlg::watchHotplug(HotplugSource& source)
{
    if (source.fd() >= 0)
        whenReadable(source.fd(), [this, &source] { m_controller->hotplug(source.drain()); });
}

void CHidMouseDlg::watchSimControl(SimControlServer& server)
{
    if (server.listening())
        whenReadable(server.fd(), [&server] { server.serve(); });
}

void CHidMouseDlg::whenReadable(int fd, const std::function<void()>& read)
{
    m_notifiers.push_back(std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read));
    m_notifiers.back()->setEnabled(m_startedUp);
    connect(m_notifiers.back().get(), &QSocketNotifier::activated, this, read);
}

void CHidMouseDlg::trayActivated()
{
    finishStartUp();
    logFrameMoment("click");
    m_controller->trayActivated();
}

void CHidMouseDlg::showBalloon(const Balloon& balloon)
{
    m_lastBalloon = balloon;
    const auto icon = balloon.title == "Warning" ? QSystemTrayIcon::Warning : QSystemTrayIcon::Information;
    // The news of the mouse found or lost also changes what the tip says.
    updateTrayTip();
    // The next step, where there is one, goes on a line of its own under the text.
    const std::string text = balloon.detail.empty() ? balloon.text : balloon.text + "\n" + balloon.detail;
    if (m_tray)
        m_tray->showMessage(qs(balloon.title), qs(text), icon, balloon.timeoutMs);
}

void CHidMouseDlg::showWindow()
{
    show();
    raise();
    activateWindow();
}

void CHidMouseDlg::hideWindow()
{
    // The window comes back without a list left open from before, and a
    // recording does not go on taking keys typed elsewhere.
    closeLists();
    m_controller->windowHidden();
    if (!m_options.trayAvailable && !m_exiting) {
        // With no tray to come back from, hiding would lose the window.
        showMinimized();
        return;
    }
    hide();
}

void CHidMouseDlg::exitProgram()
{
    m_exiting = true;
    closeLists();
    m_controller->exit();
    if (m_tray)
        m_tray->hide();
    hide();
    emit exitRequested();
}

void CHidMouseDlg::openSkinDialog()
{
    std::string current = m_controller->skin().path;
    if (current.empty())
        current = m_skin.folder().filename().string();
    CSkinsDialog dialog(m_skin, current, Skin::roots(m_options.dataDir), m_options.language, m_reporter, this);
    if (!dialog.hasBackground() || dialog.exec() != QDialog::Accepted)
        return;
    // The dialog's colour follows the chosen skin unless the user picked one.
    const QColor c = dialog.colour();
    m_skin.setFolder(dialog.skinFolder());
    m_skin.setTextColour(c);
    applyToolkitStyle();
    m_controller->skinChosen(dialog.skinName(), toTextColour(c));
    showWindow();
}

// ---- Drawing --------------------------------------------------------------

void CHidMouseDlg::prepareCanvas()
{
    // As many pixels as the screen gives the window: texts drawn there and
    // the skin's 2x art stay crisp at 150 % and 200 %.
    const qreal ratio = devicePixelRatioF();
    if (!m_canvas.isNull() && m_canvas.devicePixelRatio() == ratio)
        return;
    m_skin.setDevicePixelRatio(ratio);
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    // The frame drawn ahead while the window was hidden, when nothing
    // changed since: the skin's pictures are decoded when first needed.
    if (m_canvas.isNull()) {
        m_canvas = m_frames.take(pixels, ratio);
        if (!m_canvas.isNull())
            return;
    }
    m_canvas = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    m_canvas.setDevicePixelRatio(ratio);
    m_canvas.fill(Qt::black);
    drawing([this](QPainter& painter) { m_skin.drawImage(painter, QStringLiteral("main.png"), 0, 0); });
    if (page() != Page::None)
        drawPage(page());
}

void CHidMouseDlg::showEvent(QShowEvent* event)
{
    m_firstFrameToLog = true;
    prepareCanvas();
    QWidget::showEvent(event);
}

void CHidMouseDlg::hideEvent(QHideEvent* event)
{
    // The window comes back without the mark, until the keyboard is used.
    m_focusShown = false;
    releasePictures();
    // The window system's copy of the window goes too; the next show makes
    // it again at the window's size.
    if (QBackingStore* store = backingStore())
        store->resize(QSize(1, 1));
    // The next show starts from a frame drawn anew, as if the window had
    // never been shown: no element left lit up, nothing drawn over twice.
    m_drawAheadTimer.start();
    QWidget::hideEvent(event);
}

void CHidMouseDlg::releasePictures()
{
    // Out of sight the window holds no pictures: the tray icon is all the
    // user sees of Varcel most of the day.
    m_canvas = QImage();
    m_skin.releaseImages();
#if defined(__GLIBC__)
    // The many small images lie in the heap: give their pages back too.
    malloc_trim(0);
#endif
}

void CHidMouseDlg::drawAhead()
{
    if (isVisible() || m_exiting || m_frames.holds())
        return;
    prepareCanvas();
    m_frames.keep(m_canvas);
    releasePictures();
}

void CHidMouseDlg::drawing(const std::function<void(QPainter&)>& paint)
{
    if (m_canvas.isNull()) {
        // Hidden: the frame drawn ahead is out of date.
        m_frames.forget();
        m_drawAheadTimer.start();
        return;
    }
    {
        QPainter painter(&m_canvas);
        painter.setRenderHint(QPainter::TextAntialiasing);
        // The 2x art on a screen of 1.5 device pixels a unit.
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        paint(painter);
    }
    update();
    elementsChanged();
}

void CHidMouseDlg::paintEvent(QPaintEvent*)
{
    prepareCanvas();
    QPainter painter(this);
    painter.drawImage(0, 0, m_canvas);
    // The mark goes over the canvas, never into it: the mouse user's window
    // stays as it was drawn.
    if (m_focusShown && m_focus != Element::None)
        drawFocusMark(painter, focusRect(m_focus, dpiRows()), m_skin.textColour());
    if (m_firstFrameToLog) {
        m_firstFrameToLog = false;
        // After the frame drawn here went to the window system.
        QTimer::singleShot(0, this, [] { logFrameMoment("frame"); });
    }
}

void CHidMouseDlg::drawElement(QPainter& painter, Element e, bool over)
{
    if (WindowPage* owner = pageFor(pageOf(e)); owner && owner->drawElement(painter, e, over))
        return;
    const Rect r = ui::rect(e);
    const QString picture = pictureOf(e).value_or(QStringLiteral("button"));
    restoreBackground(painter, r);
    // The button of the page shown is lit, and underlined: white, as the
    // header strip is dark or saturated in every skin.
    const bool current = (e == Element::Page1Button && page() == Page::Key) ||
                         (e == Element::Page2Button && page() == Page::Advanced);
    m_skin.drawImage(painter, picture + (over || current ? "-over.png" : "-normal.png"), r.x, r.y);
    if (current)
        painter.fillRect(QRect(r.x + 12, r.bottom() - 5, r.w - 24, 2), Qt::white);
    if (const auto text = buttonText(e))
        drawText(painter, buttonTextSpot(r), qs(uiString(m_options.language, *text)), m_font, m_skin.textColour());
}

void CHidMouseDlg::restoreBackground(QPainter& painter, const Rect& r)
{
    m_skin.drawPart(painter, QStringLiteral("main.png"), qrect(r));
    if (WindowPage* shown = pageFor(page()))
        shown->paintBackground(painter, r);
}

void CHidMouseDlg::drawCommon(QPainter& painter)
{
    for (Element e : {Element::SkinButton, Element::MinimiseButton, Element::CloseButton, Element::Page1Button,
                      Element::Page2Button, Element::Ok, Element::Apply, Element::Cancel})
        drawElement(painter, e, false);
}

void CHidMouseDlg::drawPage(varcel::Page which)
{
    drawing([&](QPainter& painter) {
        if (WindowPage* shown = pageFor(which))
            shown->draw(painter);
    });
    m_over.clear();
}

void CHidMouseDlg::redrawElements(const std::vector<Element>& elements)
{
    drawing([&](QPainter& painter) {
        for (Element e : elements)
            drawElement(painter, e, m_over.count(e) > 0);
    });
}

void CHidMouseDlg::tearDownPage(varcel::Page leaving)
{
    closeLists();
    if (pageOf(m_focus) == leaving)
        m_focus = Element::None;
    if (WindowPage* left = pageFor(leaving))
        left->tearDown();
    m_over.clear();
}

bool CHidMouseDlg::keepEdits(const std::string& question, const std::string& keep, const std::string& take)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Varcel"), qs(question), QMessageBox::NoButton, this);
    QPushButton* keeping = box.addButton(qs(keep), QMessageBox::AcceptRole);
    box.addButton(qs(take), QMessageBox::DestructiveRole);
    // Closing the box without a choice loses nothing.
    box.setEscapeButton(keeping);
    box.exec();
    return box.clickedButton() == keeping;
}

// ---- Clicks ----------------------------------------------------------------

void CHidMouseDlg::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    dispatchClick(event->position().toPoint());
    elementsChanged();
}

void CHidMouseDlg::dispatchClick(const QPoint& pos)
{
    const Element hit = hitTest(page(), pos.x(), pos.y(), dpiRows());
    // A click takes the focus to what it hit, and the mark away until the
    // keyboard is used again.
    m_focusShown = false;
    if (hit != Element::None) {
        Element stop = hit;
        if (inRange(hit, Element::DpiBarSegmentFirst, Element::DpiBarSegmentLast))
            stop = dpiBarSegment(dpiBarStage(hit), 0);
        else if (inRange(hit, Element::PointerSegmentFirst, Element::PointerSegmentLast))
            stop = pointerSegment(pointerSliderIndex(hit), 0);
        setFocusElement(stop, false);
    }
    update();
    if (dispatchElement(hit) || hit != Element::None)
        return;
    // Empty background moves the window.
    if (windowHandle() && windowHandle()->startSystemMove())
        return;
    m_dragging = true;
    m_dragOffset = pos;
}

bool CHidMouseDlg::dispatchElement(Element hit)
{
    // A list never outlives a click beside it, whatever that click does next
    // (OK, Apply, the skin dialog, hiding the window, another page).
    if (WindowPage* shown = pageFor(page()))
        shown->closeListsMissing(hit);
    switch (hit) {
    case Element::Ok: m_controller->ok(); return true;
    case Element::Apply: m_controller->apply(); return true;
    case Element::SkinButton: openSkinDialog(); return true;
    case Element::MinimiseButton: hideWindow(); return true;
    case Element::CloseButton: exitProgram(); return true;
    case Element::Page1Button: m_controller->buildKeyPage(); return true;
    case Element::Page2Button: m_controller->buildAdvancedPage(); return true;
    case Element::Cancel:
        closeLists();
        m_controller->cancel();
        return true;
    default: break;
    }
    WindowPage* shown = pageFor(page());
    return shown && shown->click(hit);
}

void CHidMouseDlg::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - m_dragOffset);
        return;
    }
    hoverRequest(event->position().toPoint());
}

void CHidMouseDlg::mouseReleaseEvent(QMouseEvent*) { m_dragging = false; }

bool CHidMouseDlg::event(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    auto* help = static_cast<QHelpEvent*>(event);
    const Element hit = hitTest(page(), help->pos().x(), help->pos().y());
    // The buttons that show a picture only: the tip names them.
    if (pictureOf(hit)) {
        QToolTip::showText(help->globalPos(), qs(describe(hit, *m_controller).name), this);
    } else {
        QToolTip::hideText();
        event->ignore();
    }
    return true;
}

void CHidMouseDlg::hoverRequest(const QPoint& pos)
{
    const Element hit = hitTest(page(), pos.x(), pos.y());
    if (hit != Element::None && isHoverable(hit, page())) {
        if (m_over.count(hit) == 0 || m_over.size() > 1) {
            m_pendingHover = hit;
            m_hoverTimer.start();
        }
        return;
    }
    m_pendingHover = Element::None;
    m_hoverTimer.stop();
    if (m_over.empty())
        return;
    drawing([&](QPainter& painter) { restoreHovered(painter, Element::None); });
}

void CHidMouseDlg::restoreHovered(QPainter& painter, Element except)
{
    for (auto it = m_over.begin(); it != m_over.end();) {
        if (*it == except) {
            ++it;
            continue;
        }
        drawElement(painter, *it, false);
        it = m_over.erase(it);
    }
}

void CHidMouseDlg::hoverNow()
{
    const QPoint pos = mapFromGlobal(QCursor::pos());
    Element under = hitTest(page(), pos.x(), pos.y());
    // Offscreen and synthetic moves have no real cursor; trust the request.
    if (under == Element::None)
        under = m_pendingHover;
    if (under == Element::None || !isHoverable(under, page()))
        return;
    drawing([&](QPainter& painter) {
        restoreHovered(painter, under);
        drawElement(painter, under, true);
        m_over.insert(under);
    });
}

// ---- Lists -----------------------------------------------------------------

void CHidMouseDlg::closeLists()
{
    m_keyPage->closeLists();
    m_advancedPage->closeLists();
}

WindowPage* CHidMouseDlg::pageFor(Page which) const
{
    switch (which) {
    case Page::Key: return m_keyPage.get();
    case Page::Advanced: return m_advancedPage.get();
    default: return nullptr;
    }
}

// A drop-down list of the page in the skin's look, the row under the pointer
// reported as it moves.
QListWidget* CHidMouseDlg::makeList(const QString& name, const QStringList& rows, const Rect& where, int valueRow)
{
    auto* list = new QListWidget(this);
    list->setObjectName(name);
    list->setMouseTracking(true);
    // The keys stay with the window, which works the list by its model.
    list->setFocusPolicy(Qt::NoFocus);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (const QString& row : rows) {
        auto* item = new QListWidgetItem(row, list);
        item->setSizeHint(QSize(0, kListRowHeight));
    }
    styleDropList(*list, m_skin, m_font, valueRow);
    list->setGeometry(where.x, where.y, where.w, where.h);
    list->show();
    return list;
}

// ---- Window gestures -------------------------------------------------------

void CHidMouseDlg::closeEvent(QCloseEvent* event)
{
    // Alt+F4 and the desktop's close hide the window into the tray; without
    // a tray they end the program.
    if (m_exiting || !m_options.trayAvailable) {
        if (!m_exiting)
            exitProgram();
        event->accept();
        return;
    }
    event->ignore();
    m_controller->windowHidden();
    hide();
}

// ---- The keyboard ----------------------------------------------------------

int CHidMouseDlg::dpiRows() const
{
    return static_cast<int>(dpiRowCount(m_controller->session().commands().sensorType()));
}

QWidget* CHidMouseDlg::controlOf(Element stop) const
{
    WindowPage* shown = pageFor(page());
    return shown ? shown->controlOf(stop) : nullptr;
}

void CHidMouseDlg::setFocusElement(Element stop, bool byKeyboard)
{
    if (byKeyboard)
        m_focusShown = true;
    update();
    if (stop == m_focus)
        return;
    m_focus = stop;
    // A field takes the keys itself while it has the focus; every other stop
    // leaves them to the window. A click leaves the keys where they were.
    if (byKeyboard) {
        if (auto* field = qobject_cast<QLineEdit*>(controlOf(stop)))
            field->setFocus(Qt::TabFocusReason);
        else if (QWidget* focused = focusWidget(); focused && focused != this)
            focused->clearFocus();
    }
    m_announcer.focusMoved(*this, stop);
}

bool CHidMouseDlg::focusNextPrevChild(bool next)
{
    const auto& stops = focusOrder(page());
    if (stops.empty())
        return false;
    // Tab leaves an open list as a click beside it would.
    if (WindowPage* shown = pageFor(page()); shown && shown->hasOpenList())
        shown->closeLists();
    const auto n = static_cast<int>(stops.size());
    const auto at = std::find(stops.begin(), stops.end(), m_focus);
    int i = at == stops.end() ? (next ? -1 : n) : static_cast<int>(at - stops.begin());
    // Stops that would do nothing (OK without the mouse, the swatch of a
    // colour that is off) are passed over.
    for (int step = 0; step < n; ++step) {
        i = (i + (next ? 1 : -1) + n) % n;
        if (!describe(stops[static_cast<std::size_t>(i)], *m_controller).disabled)
            break;
    }
    setFocusElement(stops[static_cast<std::size_t>(i)], true);
    elementsChanged();
    return true;
}

void CHidMouseDlg::activate(Element stop)
{
    const auto& stops = focusOrder(page());
    if (std::find(stops.begin(), stops.end(), stop) == stops.end() || isDpiBar(stop) || isPointerSlider(stop))
        return;
    // As a click, a press takes the focus to what it pressed.
    setFocusElement(stop, false);
    if (WindowPage* shown = pageFor(page()); shown && shown->keyActivate(stop)) {
        elementsChanged();
        return;
    }
    dispatchElement(stop);
    elementsChanged();
}

void CHidMouseDlg::arrow(Element stop, int key)
{
    WindowPage* shown = pageFor(page());
    if (!shown || stop == Element::None)
        return;
    const Element to = shown->arrowKey(stop, key);
    if (to != Element::None && to != stop)
        setFocusElement(to, m_focusShown);
    elementsChanged();
}

void CHidMouseDlg::setStopValue(Element stop, int value)
{
    if (WindowPage* shown = pageFor(page())) {
        shown->setValue(stop, value);
        elementsChanged();
    }
}

void CHidMouseDlg::elementsChanged()
{
    if (isVisible())
        m_announcer.announce(*this);
}

void CHidMouseDlg::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    WindowPage* shown = pageFor(page());
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    const bool press = enter || key == Qt::Key_Space;
    const bool arrowKey = key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down;
    if (key == Qt::Key_Escape) {
        // An open list closes first; the next Escape hides the window.
        if (shown && shown->hasOpenList()) {
            shown->closeLists();
            elementsChanged();
            return;
        }
        hideWindow();
        return;
    }
    if ((press || arrowKey) && shown && shown->hasOpenList() && shown->listKey(key)) {
        m_focusShown = true;
        update();
        elementsChanged();
        return;
    }
    if (arrowKey) {
        m_focusShown = true;
        update();
        arrow(m_focus, key);
        return;
    }
    // Enter acts on the stop the keyboard went to; before the keyboard has
    // gone anywhere it hides the window, as it always did.
    if (press && m_focusShown && m_focus != Element::None) {
        activate(m_focus);
        return;
    }
    if (enter) {
        hideWindow();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace varcel::ui
