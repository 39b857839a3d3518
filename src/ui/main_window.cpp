#include "ui/main_window.h"

#include "device/device_commands.h"
#include "device/hotplug.h"
#include "device/sim/sim_control.h"
#include "lang/dialog_strings.h"
#include "lang/ui_strings.h"
#include "platform/data_dir.h"
#include "ui/skins_dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSocketNotifier>
#include <QWindow>

namespace varcel::ui {

namespace {

// The pointer must rest this long on an element before it lights up.
constexpr int kHoverMs = 10;

QString qs(const std::string& text) { return QString::fromStdString(text); }
QString qs(const char* text) { return QString::fromUtf8(text); }

bool inRange(Element e, Element first, Element last)
{
    return static_cast<int>(e) >= static_cast<int>(first) && static_cast<int>(e) <= static_cast<int>(last);
}

int indexIn(Element e, Element first) { return static_cast<int>(e) - static_cast<int>(first); }

// The normal and "over" images of an element drawn from one picture pair.
std::pair<QString, QString> imagesOf(Element e)
{
    switch (e) {
    case Element::SkinButton: return {"button-Skins-normal.png", "button-Skins-over.png"};
    case Element::MinimiseButton: return {"button-min-normal.png", "button-min-over.png"};
    case Element::CloseButton: return {"button-close-normal.png", "button-close-over.png"};
    case Element::Page1Button: return {"button-PrePage-normal.png", "button-PrePage-over.png"};
    case Element::Page2Button: return {"button-NextPage-normal.png", "button-NextPage-over.png"};
    default: break;
    }
    if (inRange(e, Element::DropdownBox1, Element::DropdownBox6))
        return {"DropdownBox-normal.png", "DropdownBox-over.png"};
    return {"button-normal.png", "button-over.png"};
}

// The text a text button carries.
std::optional<UiString> textOf(Element e)
{
    switch (e) {
    case Element::Ok: return UiString::Ok;
    case Element::Apply: return UiString::Apply;
    case Element::Cancel: return UiString::Cancel;
    case Element::KeyDefault: return UiString::KeyDefault;
    case Element::PointerDefault: return UiString::PointerDefault;
    case Element::MacroNew: return UiString::New;
    case Element::MacroDelete: return UiString::Delete;
    case Element::MacroConfirm: return UiString::Confirm;
    case Element::StartRecording: return UiString::StartRecording;
    case Element::StopRecording: return UiString::StopRecording;
    default: return std::nullopt;
    }
}

const char* const kListStyle =
    "QListWidget { background: #000000; color: white; border: 1px solid #5a5f66; outline: 0; }"
    "QListWidget::item { padding: 0px; }"
    "QListWidget::item:selected { background: #2b6cb0; color: white; }";

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
    QMessageBox box(QMessageBox::Warning, qs(caption), qs(text), QMessageBox::Ok, parent);
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
    setMouseTracking(true);
    m_controller = std::make_unique<MainController>(options.dataDir, backend, m_reporter, m_status, *this,
                                                    options.language);
    m_status.deliver = [this](StatusCode code, int value) { m_controller->deviceStatus(code, value); };
    m_reporter.parent = this;
    m_hoverTimer.setSingleShot(true);
    m_hoverTimer.setInterval(kHoverMs);
    connect(&m_hoverTimer, &QTimer::timeout, this, &CHidMouseDlg::hoverNow);
    placeholderDialog = [this](const QString& function) {
        QMessageBox box(QMessageBox::Information, function,
                        function + QStringLiteral(": this setting is not available in this version yet."),
                        QMessageBox::Cancel, this);
        box.exec();
    };

    ButtonModel& buttons = m_controller->buttons();
    auto placeholder = [this](FunctionKind kind) {
        return [this, kind] {
            placeholderDialog(qs(functionName(m_options.language, kind)));
        };
    };
    buttons.dialogs.applicationKey = [p = placeholder(FunctionKind::Windows)] { p(); return std::optional<ApplicationKeyChoice>(); };
    buttons.dialogs.multimedia = [p = placeholder(FunctionKind::Multimedia)] { p(); return std::optional<MultimediaChoice>(); };
    buttons.dialogs.fireKey = [p = placeholder(FunctionKind::FireKey)] { p(); return std::optional<FireKeyChoice>(); };
    buttons.dialogs.singleKey = [p = placeholder(FunctionKind::SingleKey)] { p(); return std::optional<SingleKeyChoice>(); };
    buttons.dialogs.comboKey = [p = placeholder(FunctionKind::ComboKey)] { p(); return std::optional<ComboKeyChoice>(); };
    buttons.dialogs.macroKey = [p = placeholder(FunctionKind::MacroKey)] { p(); return std::optional<MacroKeyChoice>(); };
    setUpFonts(options.language);
}

CHidMouseDlg::~CHidMouseDlg()
{
    m_notifiers.clear();
    m_controller->exit();
}

void CHidMouseDlg::setUpFonts(Language language)
{
    // Chinese texts need a CJK face; Noto Sans CJK comes with the set-up.
    if (language == Language::English) {
        m_font = QFont(QStringLiteral("Arial"));
        m_font.setPixelSize(14);
        m_titleFont = QFont(QStringLiteral("Tahoma"));
    } else {
        const QString face = language == Language::SimplifiedChinese ? QStringLiteral("Noto Sans CJK SC")
                                                                      : QStringLiteral("Noto Sans CJK TC");
        m_font = QFont(face);
        m_font.setPixelSize(13);
        m_titleFont = QFont(face);
    }
    m_font.setStyleHint(QFont::SansSerif);
    m_titleFont.setStyleHint(QFont::SansSerif);
    m_titleFont.setPixelSize(18);
    m_titleFont.setBold(true);
}

void CHidMouseDlg::startUp()
{
    setUpTray();
    m_controller->startUp();
    const SkinSettings& skinSettings = m_controller->skin();
    m_skin.setFolder(Skin::folderFor(m_options.dataDir, skinSettings.path));
    if (!skinSettings.rColor.empty() || !skinSettings.gColor.empty() || !skinSettings.bColor.empty()) {
        const TextColour colour = textColourOf(skinSettings);
        m_skin.setTextColour(QColor(colour.r, colour.g, colour.b));
    } else if (const auto colour = m_skin.suggestedTextColour()) {
        // Until the user picks a colour, the skin's own suggestion is used.
        m_skin.setTextColour(*colour);
    }
    m_canvas = m_skin.image(QStringLiteral("main.png"));
    // A skin without main.png leaves an empty window rather than none at all.
    setFixedSize(m_canvas.isNull() ? QSize(kWindowWidth, kWindowHeight) : m_canvas.size());
    if (m_canvas.isNull()) {
        m_canvas = QImage(size(), QImage::Format_ARGB32_Premultiplied);
        m_canvas.fill(Qt::black);
    }
    if (page() != Page::None)
        drawPage(static_cast<varcel::Page>(page()));
    // The native window is made now, while the user waits for nothing, so a
    // click on the tray icon only has to map it.
    winId();
    if (!m_options.trayAvailable)
        showWindow();
}

void CHidMouseDlg::setUpTray()
{
    if (!m_options.trayAvailable)
        return;
    m_tray = new QSystemTrayIcon(windowIcon().isNull() ? appIcon() : windowIcon(), this);
    m_tray->setToolTip(QStringLiteral("Gaming mouse setting"));
    m_trayMenu = new QMenu(this);
    m_trayMenu->addAction(qs(uiString(m_options.language, UiString::Exit)), this, &CHidMouseDlg::exitProgram);
    m_tray->setContextMenu(m_trayMenu);
    connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            trayActivated();
    });
    m_tray->show();
}

void CHidMouseDlg::watchHotplug(HotplugSource& source)
{
    if (source.fd() < 0)
        return;
    auto notifier = std::make_unique<QSocketNotifier>(source.fd(), QSocketNotifier::Read);
    connect(notifier.get(), &QSocketNotifier::activated, this,
            [this, &source] { m_controller->hotplug(source.drain()); });
    m_notifiers.push_back(std::move(notifier));
}

void CHidMouseDlg::watchSimControl(SimControlServer& server)
{
    if (!server.listening())
        return;
    auto notifier = std::make_unique<QSocketNotifier>(server.fd(), QSocketNotifier::Read);
    connect(notifier.get(), &QSocketNotifier::activated, this, [&server] { server.serve(); });
    m_notifiers.push_back(std::move(notifier));
}

void CHidMouseDlg::trayActivated() { m_controller->trayActivated(); }

void CHidMouseDlg::showBalloon(const Balloon& balloon)
{
    m_lastBalloon = balloon;
    const auto icon = balloon.title == "Warning" ? QSystemTrayIcon::Warning : QSystemTrayIcon::Information;
    if (m_tray)
        m_tray->showMessage(qs(balloon.title), qs(balloon.text), icon, balloon.timeoutMs);
}

void CHidMouseDlg::showWindow()
{
    show();
    raise();
    activateWindow();
}

void CHidMouseDlg::hideWindow()
{
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
    const std::vector<std::filesystem::path> roots{m_options.dataDir / "Skins", installedDataDir() / "Skins",
                                                   executableDir() / "Skins"};
    std::string current = m_controller->skin().path;
    if (current.empty())
        current = m_skin.folder().filename().string();
    CSkinsDialog dialog(m_skin, current, roots, m_options.language, m_reporter, this);
    if (!dialog.usable() || dialog.exec() != QDialog::Accepted)
        return;
    m_skin.setFolder(dialog.skinFolder());
    m_skin.setTextColour(dialog.colour());
    const QColor c = dialog.colour();
    m_controller->skinChosen(dialog.skinName(), {static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
                                                 static_cast<std::uint8_t>(c.blue())});
    showWindow();
}

// ---- Drawing --------------------------------------------------------------

void CHidMouseDlg::drawing(const std::function<void(QPainter&)>& paint)
{
    if (m_canvas.isNull())
        return;
    {
        QPainter painter(&m_canvas);
        painter.setRenderHint(QPainter::TextAntialiasing);
        paint(painter);
    }
    update();
}

void CHidMouseDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!m_canvas.isNull())
        painter.drawImage(0, 0, m_canvas);
}

void CHidMouseDlg::drawText(QPainter& painter, const TextSpot& spot, const QString& text, const QFont& font,
                            const QColor& colour) const
{
    // A translation longer than its place is set smaller rather than cut.
    QFont fitted = font;
    while (QFontMetrics(fitted).horizontalAdvance(text) > spot.rect.w && fitted.pixelSize() > 9)
        fitted.setPixelSize(fitted.pixelSize() - 1);
    painter.setFont(fitted);
    painter.setPen(colour);
    int flags = Qt::AlignVCenter | Qt::TextSingleLine;
    flags |= spot.align == Align::Centre ? Qt::AlignHCenter : spot.align == Align::Right ? Qt::AlignRight : Qt::AlignLeft;
    const Rect& r = spot.rect;
    painter.drawText(QRect(r.x, r.y, r.w, r.h), flags, text);
}

void CHidMouseDlg::drawDropdownBox(QPainter& painter, int box, bool over)
{
    const Element e = dropdownBox(box);
    const Rect r = ui::rect(e);
    m_skin.drawImage(painter, over ? QStringLiteral("DropdownBox-over.png") : QStringLiteral("DropdownBox-normal.png"),
                     r.x, r.y);
    drawText(painter, dropdownNumberRect(box), QString::number(box + 1), m_font, m_skin.textColour());
    drawText(painter, dropdownLabelRect(box), qs(m_controller->buttons().label(static_cast<std::size_t>(box))),
             m_font, m_skin.textColour());
}

void CHidMouseDlg::drawElement(QPainter& painter, Element e, bool over)
{
    if (inRange(e, Element::DropdownBox1, Element::DropdownBox6)) {
        drawDropdownBox(painter, indexIn(e, Element::DropdownBox1), over);
        return;
    }
    const Rect r = ui::rect(e);
    const auto [normal, lit] = imagesOf(e);
    // The layer pair shows the chosen layer lit, whatever the pointer does.
    if (e == Element::ModeA || e == Element::ModeB) {
        const bool chosen = (m_controller->buttons().shownLayer() == Layer::A) == (e == Element::ModeA);
        m_skin.drawImage(painter, chosen ? lit : normal, r.x, r.y);
        drawText(painter, {r, Align::Centre}, qs(e == Element::ModeA ? text::kModeA : text::kModeB), m_font,
                 m_skin.textColour());
        return;
    }
    m_skin.drawImage(painter, over ? lit : normal, r.x, r.y);
    if (const auto text = textOf(e))
        drawText(painter, {r, Align::Centre}, qs(uiString(m_options.language, *text)), m_font, m_skin.textColour());
}

void CHidMouseDlg::drawCommon(QPainter& painter)
{
    for (Element e : {Element::SkinButton, Element::MinimiseButton, Element::CloseButton, Element::Page1Button,
                      Element::Page2Button, Element::Ok, Element::Apply, Element::Cancel})
        drawElement(painter, e, false);
}

void CHidMouseDlg::drawKeyPage(QPainter& painter)
{
    const Language lang = m_options.language;
    const ConfigImage& image = m_controller->config().working();
    const QColor text = m_skin.textColour();
    m_skin.drawImage(painter, QStringLiteral("BasicSet2.png"), 0, 0);
    drawText(painter, caption(Caption::PageTitle).spot, qs(uiString(lang, UiString::BasicSettings)), m_titleFont,
             Qt::white);
    const std::pair<Caption, UiString> captions[] = {
        {Caption::KeySetting, UiString::KeySetting},
        {Caption::ReportRateSetting, UiString::ReportRateSetting},
        {Caption::DpiSetting, UiString::DpiSetting},
        {Caption::RgbEffect, UiString::RgbEffect},
        {Caption::LightingModeLabel, UiString::Mode},
        {Caption::LightingParameterLabel, UiString::Parameter},
        {Caption::LoopColorSetting, UiString::LoopColorSetting},
        {Caption::DpiSelfColorSetting, UiString::DpiSelfColorLedSetting},
    };
    for (const auto& [where, what] : captions)
        drawText(painter, caption(where).spot, qs(uiString(lang, what)), m_font, text);
    drawCommon(painter);
    for (Element e : {Element::ModeA, Element::ModeB, Element::KeyDefault})
        drawElement(painter, e, false);
    for (int box = 0; box < kDropdownBoxes; ++box)
        drawDropdownBox(painter, box, false);

    // Report rate: the selected interval lit.
    const std::uint8_t rateCodes[kReportRatePositions] = {8, 4, 2, 1};
    const char* const rateTexts[kReportRatePositions] = {"125", "250", "500", "1000"};
    for (int i = 0; i < kReportRatePositions; ++i) {
        const Rect r = ui::rect(reportRateSegment(i));
        const bool lit = image[img::kReportRate] == rateCodes[i];
        m_skin.drawImage(painter, lit ? QStringLiteral("slider-RP-light.png") : QStringLiteral("slider-RP-dark.png"),
                         r.x, r.y);
        drawText(painter, reportRateLabel(i), QString::fromLatin1(rateTexts[i]), m_font, text);
    }

    // DPI stages: the enable box, the value and the bar up to the value's row.
    const std::uint8_t sensor = m_controller->session().commands().sensorType();
    const int rows = static_cast<int>(dpiRowCount(sensor));
    for (int row = 0; row < rows; ++row)
        drawText(painter, dpiScaleLabel(row), qs(dpiValueText(sensor, static_cast<std::uint8_t>(row))), m_font, text);
    for (int stage = 0; stage < kDpiStages; ++stage) {
        const bool enabled = image[img::kDpiEnabled + static_cast<std::size_t>(stage)] != 0;
        const int row = image[img::kDpiValue + static_cast<std::size_t>(stage)];
        const Rect box = ui::rect(dpiStageEnable(stage));
        m_skin.drawImage(painter, enabled ? QStringLiteral("PaneMakingTick.png") : QStringLiteral("Pane.png"), box.x,
                         box.y);
        drawText(painter, dpiStageCaption(stage), QStringLiteral("DPI Stage%1").arg(stage + 1), m_font, text);
        drawText(painter, dpiStageValue(stage), qs(dpiValueText(sensor, static_cast<std::uint8_t>(row))), m_font,
                 text);
        for (int segment = 0; segment < rows; ++segment) {
            const Rect r = ui::rect(dpiBarSegment(stage, segment));
            const bool lit = enabled && segment <= row;
            m_skin.drawImage(painter, lit ? QStringLiteral("slider-DPI-light.png") : QStringLiteral("slider-DPI-dark.png"),
                             r.x, r.y);
        }
    }

    // Lighting: mode and parameter faces, loop colours, DPI colour bits.
    const UiString modes[] = {UiString::OffMode, UiString::StandardMode, UiString::RespirationMode,
                              UiString::NeonMode};
    const std::uint8_t mode = image[img::kRgbMode];
    for (Element selector : {Element::LightingMode, Element::LightingParameter, Element::DpiColourStage}) {
        const Rect r = ui::rect(selector);
        m_skin.drawImage(painter, QStringLiteral("DropdownBox.png"), r.x, r.y);
    }
    drawText(painter, selectorTextRect(Element::LightingMode), qs(uiString(lang, modes[mode <= 3 ? mode : 0])), m_font,
             text);
    if (mode >= 1 && mode <= 3) {
        const int param = image[img::kRgbParam1 + mode - 1];
        QString value;
        if (mode == 1)
            value = QStringLiteral("%1%").arg((param + 1) * 10 - (param == 0 ? 5 : 0));
        else if (mode == 2)
            value = QStringLiteral("%1S").arg(8 - param);
        else
            value = QString::number((param + 1) * 0.5) + QStringLiteral("S");
        drawText(painter, selectorTextRect(Element::LightingParameter), value, m_font, text);
    }
    drawText(painter, selectorTextRect(Element::DpiColourStage), QStringLiteral("DPI Stage1"), m_font, text);
    for (int colour = 0; colour < kLoopColours; ++colour) {
        const auto c = static_cast<std::size_t>(colour);
        const Rect box = ui::rect(loopColourEnable(colour));
        m_skin.drawImage(painter,
                         image[img::kLoopEnabled + c] == 1 ? QStringLiteral("PaneMakingTick.png") : QStringLiteral("Pane.png"),
                         box.x, box.y);
        const Rect swatch = ui::rect(loopColourSwatch(colour));
        painter.fillRect(QRect(swatch.x, swatch.y, swatch.w, swatch.h),
                         QColor(image[img::kLoopColours + 3 * c], image[img::kLoopColours + 3 * c + 1],
                                image[img::kLoopColours + 3 * c + 2]));
    }
    const char* const bitNames[kDpiColourBits] = {"R", "G", "B", "W"};
    for (int bit = 0; bit < kDpiColourBits; ++bit) {
        const Rect box = ui::rect(dpiColourBit(bit));
        const bool on = (image[img::kDpiColourBits] >> bit) & 1;
        m_skin.drawImage(painter, on ? QStringLiteral("PaneMakingTick.png") : QStringLiteral("Pane.png"), box.x, box.y);
        drawText(painter, dpiColourBitLabel(bit), QString::fromLatin1(bitNames[bit]), m_font, text);
    }
}

void CHidMouseDlg::drawAdvancedPage(QPainter& painter)
{
    const Language lang = m_options.language;
    const ConfigImage& image = m_controller->config().working();
    const QColor text = m_skin.textColour();
    m_skin.drawImage(painter, QStringLiteral("AdvancedSet2.png"), 0, 0);
    drawText(painter, caption(Caption::PageTitle).spot, qs(uiString(lang, UiString::AdvancedSettings)), m_titleFont,
             Qt::white);
    const std::pair<Caption, UiString> captions[] = {
        {Caption::MouseSpeed, UiString::MouseSpeed},
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
        {Caption::InsertMouseEvent, UiString::InsertAMouseEvent},
    };
    for (const auto& [where, what] : captions)
        drawText(painter, caption(where).spot, qs(uiString(lang, what)), m_font, text);
    drawCommon(painter);
    for (Element e : {Element::PointerDefault, Element::MacroNew, Element::MacroDelete, Element::MacroConfirm,
                      Element::StartRecording, Element::StopRecording})
        drawElement(painter, e, false);
    for (auto [box, offset] : {std::pair{Element::PrecisionBox, img::kPointerPrecision},
                               std::pair{Element::OneScreenBox, img::kScrollOneScreen}}) {
        const Rect r = ui::rect(box);
        m_skin.drawImage(painter, image[offset] == 1 ? QStringLiteral("PaneMakingTick.png") : QStringLiteral("Pane.png"),
                         r.x, r.y);
    }
    const std::size_t sliders[kPointerSliders] = {img::kPointerSpeed, img::kScrollLines, img::kDoubleClick};
    for (int slider = 0; slider < kPointerSliders; ++slider) {
        const int value = image[sliders[slider]];
        for (int step = 0; step < kPointerSteps; ++step) {
            const Rect r = ui::rect(pointerSegment(slider, step));
            m_skin.drawImage(painter, step < value ? QStringLiteral("slider-light.png") : QStringLiteral("slider-dark.png"),
                             r.x, r.y);
            drawText(painter, pointerStepLabel(slider, step), QString::number(step + 1), m_font, text);
        }
    }
}

void CHidMouseDlg::drawPage(varcel::Page which)
{
    drawing([&](QPainter& painter) {
        if (which == varcel::Page::Key)
            drawKeyPage(painter);
        else if (which == varcel::Page::Advanced)
            drawAdvancedPage(painter);
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

void CHidMouseDlg::tearDownPage(varcel::Page)
{
    closeLists();
    m_over.clear();
}

// ---- Clicks ----------------------------------------------------------------

void CHidMouseDlg::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    dispatchClick(event->position().toPoint());
}

void CHidMouseDlg::dispatchClick(const QPoint& pos)
{
    const int dpiRows = static_cast<int>(dpiRowCount(m_controller->session().commands().sensorType()));
    const Element hit = hitTest(page(), pos.x(), pos.y(), dpiRows);
    switch (hit) {
    case Element::Ok: m_controller->ok(); return;
    case Element::Apply: m_controller->apply(); return;
    case Element::SkinButton: openSkinDialog(); return;
    case Element::MinimiseButton: hideWindow(); return;
    case Element::CloseButton: exitProgram(); return;
    case Element::Page1Button: m_controller->buildKeyPage(); return;
    case Element::Page2Button: m_controller->buildAdvancedPage(); return;
    case Element::Cancel: closeLists(); m_controller->cancel(); return;
    default: break;
    }
    if (page() == Page::Key) {
        // A click outside an open list and its box closes the list first.
        if (m_functionList && (hit != dropdownBox(m_listBox)))
            closeLists();
        if (keyPageClick(hit))
            return;
    }
    if (hit != Element::None)
        return;
    // Empty background moves the window.
    if (windowHandle() && windowHandle()->startSystemMove())
        return;
    m_dragging = true;
    m_dragOffset = pos;
}

bool CHidMouseDlg::keyPageClick(Element hit)
{
    ButtonModel& buttons = m_controller->buttons();
    if (hit == Element::ModeA || hit == Element::ModeB) {
        buttons.showLayer(hit == Element::ModeA ? 0 : 1);
        std::vector<Element> redraw{Element::ModeA, Element::ModeB};
        for (int box = 0; box < kDropdownBoxes; ++box)
            redraw.push_back(dropdownBox(box));
        redrawElements(redraw);
        return true;
    }
    if (hit == Element::KeyDefault) {
        buttons.restoreDefaults();
        std::vector<Element> redraw;
        for (int box = 0; box < kDropdownBoxes; ++box)
            redraw.push_back(dropdownBox(box));
        redrawElements(redraw);
        return true;
    }
    if (inRange(hit, Element::DropdownBox1, Element::DropdownBox6)) {
        const int box = indexIn(hit, Element::DropdownBox1);
        buttons.toggleFunctionList(static_cast<std::size_t>(box));
        syncLists();
        return true;
    }
    return hit != Element::None;
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
    m_controller->buttons().closeLists();
    destroyListWidgets();
}

void CHidMouseDlg::destroyListWidgets()
{
    if (m_dpiList)
        m_dpiList->deleteLater();
    if (m_functionList)
        m_functionList->deleteLater();
    m_dpiList = nullptr;
    m_functionList = nullptr;
    m_listBox = -1;
}

// A list box of the page: white rows on black, one row per 16 pixels, the
// row under the pointer reported as it moves.
QListWidget* CHidMouseDlg::makeList(const QString& name, const QStringList& rows, const Rect& where, const QFont& font)
{
    auto* list = new QListWidget(this);
    list->setObjectName(name);
    list->setStyleSheet(QString::fromLatin1(kListStyle));
    list->setFont(font);
    list->setMouseTracking(true);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (const QString& row : rows) {
        auto* item = new QListWidgetItem(row, list);
        item->setSizeHint(QSize(0, kListRowHeight));
    }
    list->setGeometry(where.x, where.y, where.w, where.h);
    list->show();
    return list;
}

// Makes the list boxes show what the model says is open.
void CHidMouseDlg::syncLists()
{
    ButtonModel& buttons = m_controller->buttons();
    const auto open = buttons.openSlot();
    if (!open) {
        destroyListWidgets();
        return;
    }
    const int box = static_cast<int>(*open);
    if (m_functionList && m_listBox != box)
        destroyListWidgets();
    if (!m_functionList) {
        m_listBox = box;
        QStringList rows;
        for (const char* row : buttons.functionRows())
            rows << qs(row);
        m_functionList = makeList(QStringLiteral("functionList"), rows, functionListRect(box), m_font);
        connect(m_functionList, &QListWidget::itemEntered, this, [this](QListWidgetItem* item) {
            m_controller->buttons().hoverFunctionRow(m_functionList->row(item));
            syncLists();
        });
        connect(m_functionList, &QListWidget::itemClicked, this,
                [this](QListWidgetItem* item) { onFunctionRowChosen(m_functionList->row(item)); });
    }
    if (buttons.selectedRow() >= 0)
        m_functionList->setCurrentRow(buttons.selectedRow());

    if (buttons.isDpiListOpen() && !m_dpiList) {
        // Three short rows in a 60-pixel square: a size smaller than the page.
        QFont small = m_font;
        small.setPixelSize(std::max(9, m_font.pixelSize() - 2));
        QStringList options;
        for (const char* option : text::kDpiOptions)
            options << qs(option);
        m_dpiList = makeList(QStringLiteral("dpiOptionList"), options, dpiOptionListRect(box), small);
        connect(m_dpiList, &QListWidget::itemEntered, this,
                [this](QListWidgetItem* item) { m_controller->buttons().hoverDpiRow(m_dpiList->row(item)); });
        connect(m_dpiList, &QListWidget::itemClicked, this,
                [this](QListWidgetItem* item) { onDpiRowChosen(m_dpiList->row(item)); });
    } else if (!buttons.isDpiListOpen() && m_dpiList) {
        m_dpiList->deleteLater();
        m_dpiList = nullptr;
    }
}

void CHidMouseDlg::onFunctionRowChosen(int row)
{
    if (m_listBox < 0)
        return;
    const int box = m_listBox;
    m_controller->buttons().chooseFunction(static_cast<std::size_t>(box), row);
    syncLists();
    redrawElements({dropdownBox(box)});
}

void CHidMouseDlg::onDpiRowChosen(int row)
{
    const int box = m_listBox;
    m_controller->buttons().chooseDpiOption(row);
    syncLists();
    if (box >= 0)
        redrawElements({dropdownBox(box)});
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
    hide();
}

void CHidMouseDlg::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Escape) {
        hideWindow();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace varcel::ui
