#include "ui/key_page.h"

#include "lang/dialog_strings.h"
#include "lang/ui_strings.h"
#include "macros/macro_store.h"
#include "platform/data_files.h"
#include "ui/dialogs/combo_dialog.h"
#include "ui/dialogs/fire_key_dialog.h"
#include "ui/dialogs/macro_dialog.h"
#include "ui/dialogs/media_dialog.h"
#include "ui/dialogs/single_dialog.h"
#include "ui/dialogs/windows_dialog.h"
#include "ui/focus_order.h"

#include <QColorDialog>
#include <QPainter>

#include <algorithm>

namespace varcel::ui {

KeyPage::KeyPage(PageHost& host, MainController& controller) : WindowPage(host, controller)
{
    chooseColour = [this]() -> std::optional<QColor> {
        const QColor colour = QColorDialog::getColor(Qt::black, &m_host.widget());
        if (!colour.isValid())
            return std::nullopt;
        return colour;
    };
    setUpParameterDialogs();
}

void KeyPage::setUpParameterDialogs()
{
    // Each choice gets a fresh dialog that does not show the button's
    // current function; a cancelled one gives nothing back.
    ParameterDialogs& dialogs = m_controller.buttons().dialogs;
    dialogs.applicationKey = [this] { return dialog<CWindowsDialog>().run(); };
    dialogs.multimedia = [this] { return dialog<CMediaDialog>().run(); };
    dialogs.fireKey = [this] { return dialog<CFireKeyDialog>().run(); };
    dialogs.singleKey = [this] { return dialog<CSingleDialog>().run(); };
    dialogs.comboKey = [this] { return dialog<CComboDialog>().run(); };
    dialogs.macroKey = [this] {
        // The macros as record.ini holds them now, in its order.
        return dialog<CMacroDialog>(MacroStore(m_controller.dataDir() / kMacroFileName).list()).run();
    };
}

// ---- Drawing --------------------------------------------------------------

void KeyPage::drawDropdownBox(QPainter& painter, int box, bool over)
{
    const Element e = dropdownBox(box);
    putImage(painter, ui::rect(e), over ? QStringLiteral("DropdownBox-over.png") : QStringLiteral("DropdownBox-normal.png"));
    write(painter, dropdownNumberRect(box), QString::number(box + 1));
    write(painter, dropdownLabelRect(box), qs(m_controller.buttons().label(static_cast<std::size_t>(box))));
}

bool KeyPage::drawElement(QPainter& painter, Element e, bool over)
{
    if (inRange(e, Element::DropdownBox1, Element::DropdownBox6)) {
        drawDropdownBox(painter, indexIn(e, Element::DropdownBox1), over);
        return true;
    }
    // The layer pair shows the chosen layer lit, whatever the pointer does.
    if (e == Element::ModeA || e == Element::ModeB) {
        const Rect r = ui::rect(e);
        const bool chosen = (m_controller.buttons().shownLayer() == Layer::A) == (e == Element::ModeA);
        putImage(painter, r, chosen ? QStringLiteral("button-over.png") : QStringLiteral("button-normal.png"));
        write(painter, {r, Align::Centre}, qs(e == Element::ModeA ? text::kModeA : text::kModeB));
        return true;
    }
    return drawSettingsElement(painter, e);
}

void KeyPage::draw(QPainter& painter)
{
    drawFrame(painter, UiString::BasicSettings,
              {{Caption::KeySetting, UiString::KeySetting},
               {Caption::ReportRateSetting, UiString::ReportRateSetting},
               {Caption::DpiSetting, UiString::DpiSetting},
               {Caption::RgbEffect, UiString::RgbEffect},
               {Caption::LightingModeLabel, UiString::Mode},
               {Caption::LightingParameterLabel, UiString::Parameter},
               {Caption::LoopColorSetting, UiString::LoopColorSetting},
               {Caption::DpiSelfColorSetting, UiString::DpiSelfColorLedSetting}});
    for (Element e : {Element::ModeA, Element::ModeB, Element::KeyDefault})
        m_host.drawElement(painter, e, false);
    for (int box = 0; box < kDropdownBoxes; ++box)
        drawDropdownBox(painter, box, false);

    // The settings' elements, each as a click redraws it (they follow the
    // buttons in the layout table), then the texts beside them.
    const KeyPageSettings& settings = m_controller.settings();
    m_drawnSensorType = settings.sensorType();
    for (auto e = static_cast<int>(Element::ReportRate125); e <= static_cast<int>(Element::DpiBarSegmentLast); ++e)
        drawSettingsElement(painter, static_cast<Element>(e));
    const auto positions = settings.choices(SettingId::ReportRate, 0);
    for (int i = 0; i < kReportRatePositions; ++i)
        write(painter, reportRateLabel(i), qs(positions[static_cast<std::size_t>(i)].text));
    int row = 0;
    for (const SettingChoice& dpi : settings.choices(SettingId::DpiStageValue, 0))
        write(painter, dpiScaleLabel(row++), qs(dpi.text));
    for (int stage = 0; stage < kDpiStages; ++stage)
        write(painter, dpiStageCaption(stage), qs(kDpiStageNames[static_cast<std::size_t>(stage)]));
    for (int bit = 0; bit < kDpiColourBits; ++bit)
        write(painter, dpiColourBitLabel(bit),
              qs(kDpiColourBitNames[static_cast<std::size_t>(bit)](m_controller.language())));
}

void KeyPage::paintBackground(QPainter& painter, const Rect& area)
{
    m_host.skin().drawPart(painter, QStringLiteral("BasicSet2.png"), QRect(area.x, area.y, area.w, area.h));
    // The background has tracks of eight rows; twelve rows lengthen them.
    const Rect upper = dpiUpperRowsRect();
    if (m_controller.settings().dpiRowCount() <= kDpiShortList || !upper.intersects(area))
        return;
    const int x = std::max(area.x, upper.x);
    const int y = std::max(area.y, upper.y);
    const QRect target(x, y, std::min(area.right(), upper.right()) - x, std::min(area.bottom(), upper.bottom()) - y);
    m_host.skin().drawPart(painter, QString::fromLatin1(kDpiUpperRowsImage), target.translated(-upper.x, -upper.y),
                           target.topLeft());
}

void KeyPage::drawBox(QPainter& painter, Element e, bool ticked)
{
    putImage(painter, ui::rect(e), ticked ? QStringLiteral("PaneMakingTick.png") : QStringLiteral("Pane.png"));
}

void KeyPage::drawSelector(QPainter& painter, Element e, const QString& text)
{
    putImage(painter, ui::rect(e), QStringLiteral("DropdownBox.png"));
    write(painter, selectorTextRect(e), text);
}

// The settings' elements, each from its setting's instance in the working image.
bool KeyPage::drawSettingsElement(QPainter& painter, Element e)
{
    const KeyPageSettings& settings = m_controller.settings();
    const Rect r = ui::rect(e);
    if (e == Element::DpiColourStage) {
        drawSelector(painter, e, qs(kDpiStageNames[static_cast<std::size_t>(settings.colourStage())]));
        return true;
    }
    const auto shown = elementSetting(e, settings);
    if (!shown)
        return false;
    const SettingId id = shown->id;
    const int instance = shown->instance;
    const SettingForm form = setting(id).form;
    if (id == SettingId::DpiStageValue && shown->row >= 0) {
        m_host.restoreBackground(painter, r);
        // Segments past the sensor's list are not there at all.
        if (shown->row < settings.dpiRowCount())
            m_host.skin().drawImage(painter,
                                    shown->row < settings.litSegments(instance)
                                        ? QStringLiteral("slider-DPI-light.png")
                                        : QStringLiteral("slider-DPI-dark.png"),
                                    r.x, r.y);
    } else if (shown->row >= 0) {
        const bool lit = settings.row(id, instance) == shown->row;
        putImage(painter, r, lit ? QStringLiteral("slider-RP-light.png") : QStringLiteral("slider-RP-dark.png"));
    } else if (form == SettingForm::Flag || form == SettingForm::Bit) {
        drawBox(painter, e, settings.isOn(id, instance));
    } else if (form == SettingForm::Colour) {
        painter.fillRect(QRect(r.x, r.y, r.w, r.h), QColor(QRgb{settings.code(id, instance)}));
    } else if (id == SettingId::DpiStageValue) {
        // The face is a frame of the background; only its text changes.
        m_host.restoreBackground(painter, r);
        write(painter, dpiStageValue(instance), qs(settings.faceText(id, instance)));
    } else if (instance < 0) {
        // Without a mode there is no parameter list to open, so no face to click either.
        m_host.restoreBackground(painter, r);
    } else {
        drawSelector(painter, e, qs(settings.faceText(id, instance)));
    }
    return true;
}

void KeyPage::redrawStage(int stage, bool withBar)
{
    std::vector<Element> elements{dpiStageEnable(stage), dpiStageList(stage)};
    if (withBar)
        for (int segment = 0; segment < kDpiBarSegments; ++segment)
            elements.push_back(dpiBarSegment(stage, segment));
    m_host.redrawElements(elements);
}

void KeyPage::sensorTypeMayHaveChanged()
{
    const KeyPageSettings& settings = m_controller.settings();
    if (settings.sensorType() == m_drawnSensorType || m_controller.currentPage() != varcel::Page::Key)
        return;
    // The scale, every bar and every face change; an open stage list gets the new rows.
    m_host.redrawPage();
    if (m_settingsList && stageOfSettingsList(m_settingsListShown) >= 0) {
        destroySettingsList();
        syncSettingsList();
    }
}

void KeyPage::redrawBoxes(std::vector<Element> also)
{
    for (int box = 0; box < kDropdownBoxes; ++box)
        also.push_back(dropdownBox(box));
    m_host.redrawElements(also);
}

// ---- Clicks ----------------------------------------------------------------

void KeyPage::closeListsMissing(Element hit)
{
    if (m_functionList && hit != dropdownBox(m_listBox)) {
        m_controller.buttons().closeLists();
        destroyListWidgets();
    }
    const SettingsList open = m_controller.settings().openList();
    if (open != SettingsList::None && hit != faceOf(open)) {
        m_controller.settings().closeList();
        destroySettingsList();
    }
}

bool KeyPage::click(Element hit)
{
    ButtonModel& buttons = m_controller.buttons();
    if (hit == Element::ModeA || hit == Element::ModeB) {
        buttons.showLayer(hit == Element::ModeA ? 0 : 1);
        redrawBoxes({Element::ModeA, Element::ModeB});
        return true;
    }
    if (hit == Element::KeyDefault) {
        buttons.restoreDefaults();
        redrawBoxes();
        return true;
    }
    if (inRange(hit, Element::DropdownBox1, Element::DropdownBox6)) {
        const int box = indexIn(hit, Element::DropdownBox1);
        buttons.toggleFunctionList(static_cast<std::size_t>(box));
        syncLists();
        return true;
    }
    return settingsClick(hit) || hit != Element::None;
}

bool KeyPage::settingsClick(Element hit)
{
    KeyPageSettings& settings = m_controller.settings();
    for (auto l = static_cast<int>(SettingsList::DpiStage1); l <= static_cast<int>(SettingsList::DpiColourStage); ++l) {
        if (faceOf(static_cast<SettingsList>(l)) == hit) {
            settings.toggleList(static_cast<SettingsList>(l));
            syncSettingsList();
            return true;
        }
    }
    const auto chosen = elementSetting(hit, settings);
    if (!chosen)
        return false;
    const SettingId id = chosen->id;
    const int instance = chosen->instance;
    if (id == SettingId::LoopColour) {
        // Only an enabled colour opens the colour chooser.
        if (!settings.isOn(SettingId::LoopColourEnabled, instance))
            return true;
        const std::optional<QColor> colour = chooseColour ? chooseColour() : std::nullopt;
        if (colour && settings.choose(id, instance, colour->rgb() & 0xFFFFFFu))
            m_host.redrawElements({hit});
        return true;
    }
    // A position or a bar's segment chooses its row; a box flips.
    const int before = settings.row(id, instance);
    const bool changed = chosen->row >= 0 ? before != chosen->row && settings.chooseRow(id, instance, chosen->row)
                                          : settings.toggle(id, instance);
    if (!changed)
        return true;
    if (id == SettingId::DpiStageEnabled || id == SettingId::DpiStageValue)
        redrawStage(instance);
    else if (chosen->row >= 0 && before >= 0)
        m_host.redrawElements({hit, reportRateSegment(before)});
    else
        m_host.redrawElements({hit});
    return true;
}

// ---- Lists -----------------------------------------------------------------

void KeyPage::closeLists()
{
    m_controller.buttons().closeLists();
    destroyListWidgets();
    m_controller.settings().closeList();
    destroySettingsList();
}

void KeyPage::destroySettingsList()
{
    discard(m_settingsList);
    m_settingsListShown = SettingsList::None;
}

// Makes the settings list box show what the model says is open.
void KeyPage::syncSettingsList()
{
    const KeyPageSettings& settings = m_controller.settings();
    const SettingsList open = settings.openList();
    if (open != m_settingsListShown)
        destroySettingsList();
    if (open == SettingsList::None || m_settingsList)
        return;
    QStringList rows;
    for (const std::string& row : settings.listRows(open))
        rows << qs(row);
    Rect where;
    if (const int stage = stageOfSettingsList(open); stage >= 0) {
        // As long as the sensor's list: eight rows leave no empty rows below.
        where = listRectFor(rect(dpiStageList(stage)), static_cast<int>(rows.size()));
    } else if (open == SettingsList::RgbMode) {
        where = lightingModeListRect();
    } else if (open == SettingsList::RgbParameter) {
        where = lightingParameterListRect(static_cast<int>(rows.size()));
    } else {
        where = dpiColourStageListRect();
    }
    const int current = settings.listCurrentRow(open);
    m_settingsList = m_host.makeList(QStringLiteral("settingsList"), rows, where, current);
    // Named after the face it opened from.
    m_settingsList->setAccessibleName(qs(describe(faceOf(open), m_controller).name));
    m_settingsListShown = open;
    // Thirty speeds of the neon mode are more than a list shows at once.
    if (static_cast<int>(rows.size()) * kListRowHeight + 2 > where.h)
        m_settingsList->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    if (current >= 0) {
        m_settingsList->setCurrentRow(current);
        m_settingsList->scrollToItem(m_settingsList->item(current), QAbstractItemView::PositionAtCenter);
    }
    connect(m_settingsList, &QListWidget::itemEntered, this,
            [this](QListWidgetItem* item) { m_settingsList->setCurrentItem(item); });
    connect(m_settingsList, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { onSettingsRowChosen(m_settingsList->row(item)); });
}

void KeyPage::onSettingsRowChosen(int row)
{
    KeyPageSettings& settings = m_controller.settings();
    const SettingsList list = settings.openList();
    settings.chooseListRow(row);
    syncSettingsList();
    if (const int stage = stageOfSettingsList(list); stage >= 0) {
        redrawStage(stage);
    } else if (list == SettingsList::RgbMode || list == SettingsList::RgbParameter) {
        // A new mode shows that mode's own parameter.
        m_host.redrawElements({Element::LightingMode, Element::LightingParameter});
    } else if (list == SettingsList::DpiColourStage) {
        std::vector<Element> redraw{Element::DpiColourStage};
        for (int bit = 0; bit < kDpiColourBits; ++bit)
            redraw.push_back(dpiColourBit(bit));
        m_host.redrawElements(redraw);
    }
}

void KeyPage::destroyListWidgets()
{
    discard(m_dpiList);
    discard(m_functionList);
    m_listBox = -1;
    m_keyInDpiList = false;
}

// Makes the list boxes show what the model says is open.
void KeyPage::syncLists()
{
    ButtonModel& buttons = m_controller.buttons();
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
        // The box's function is marked: the kinds are the rows, in order.
        const int current = static_cast<int>(buttons.kind(buttons.shownLayer(), static_cast<std::size_t>(box)));
        m_functionList = m_host.makeList(QStringLiteral("functionList"), rows, functionListRect(box), current);
        m_functionList->setAccessibleName(qs(describe(dropdownBox(box), m_controller).name));
        connect(m_functionList, &QListWidget::itemEntered, this, [this](QListWidgetItem* item) {
            m_controller.buttons().hoverFunctionRow(m_functionList->row(item));
            syncLists();
        });
        connect(m_functionList, &QListWidget::itemClicked, this,
                [this](QListWidgetItem* item) { onFunctionRowChosen(m_functionList->row(item)); });
    }
    if (buttons.selectedRow() >= 0)
        m_functionList->setCurrentRow(buttons.selectedRow());

    if (buttons.isDpiListOpen() && !m_dpiList) {
        // Three short rows in a 60-pixel square: the list sets a text that
        // is wider than a row smaller rather than cut it.
        QStringList options;
        for (const char* option : text::kDpiOptions)
            options << qs(option);
        m_dpiList = m_host.makeList(QStringLiteral("dpiOptionList"), options, dpiOptionListRect(box));
        connect(m_dpiList, &QListWidget::itemEntered, this, [this](QListWidgetItem* item) {
            ButtonModel& model = m_controller.buttons();
            model.hoverDpiRow(m_dpiList->row(item));
            m_dpiList->setCurrentRow(model.selectedDpiRow());
        });
        connect(m_dpiList, &QListWidget::itemClicked, this,
                [this](QListWidgetItem* item) { onDpiRowChosen(m_dpiList->row(item)); });
    } else if (!buttons.isDpiListOpen()) {
        discard(m_dpiList);
    }
}

void KeyPage::onFunctionRowChosen(int row)
{
    if (m_listBox < 0)
        return;
    const int box = m_listBox;
    // The lists are out of sight before a parameter dialog opens over them:
    // the row chosen must not stay lit behind it. "DPI Switch" keeps them
    // open for its own list. They go once the click that chose is over.
    if (row != ButtonModel::kDpiSwitchRow)
        for (QListWidget* list : {m_dpiList.data(), m_functionList.data()})
            if (list)
                list->hide();
    m_controller.buttons().chooseFunction(static_cast<std::size_t>(box), row);
    syncLists();
    m_host.redrawElements({dropdownBox(box)});
}

void KeyPage::onDpiRowChosen(int row)
{
    const int box = m_listBox;
    m_controller.buttons().chooseDpiOption(row);
    syncLists();
    if (box >= 0)
        m_host.redrawElements({dropdownBox(box)});
}

// ---- The keyboard ----------------------------------------------------------

namespace {

int step(int key)
{
    return key == Qt::Key_Up || key == Qt::Key_Right ? 1 : key == Qt::Key_Down || key == Qt::Key_Left ? -1 : 0;
}
bool isPress(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space; }

} // namespace

bool KeyPage::listKey(int key)
{
    // Down goes down the list, as on the screen.
    const int down = key == Qt::Key_Down ? 1 : key == Qt::Key_Up ? -1 : 0;
    if (m_settingsList) {
        const int row = m_settingsList->currentRow();
        if (down != 0) {
            const int next = std::clamp(row + down, 0, m_settingsList->count() - 1);
            m_settingsList->setCurrentRow(next);
            m_settingsList->scrollToItem(m_settingsList->item(next));
            m_host.listRowMoved(m_settingsList, next);
        } else if (isPress(key) && row >= 0) {
            onSettingsRowChosen(row);
        }
        return true;
    }
    if (!m_functionList)
        return false;
    ButtonModel& buttons = m_controller.buttons();
    if (m_keyInDpiList && m_dpiList) {
        if (down != 0) {
            buttons.hoverDpiRow(std::clamp(buttons.selectedDpiRow() + down, 0, m_dpiList->count() - 1));
            m_dpiList->setCurrentRow(buttons.selectedDpiRow());
            m_host.listRowMoved(m_dpiList, buttons.selectedDpiRow());
        } else if (key == Qt::Key_Left) {
            m_keyInDpiList = false;
        } else if (isPress(key) && buttons.selectedDpiRow() >= 0) {
            onDpiRowChosen(buttons.selectedDpiRow());
        }
        return true;
    }
    if (down != 0) {
        buttons.hoverFunctionRow(std::clamp(buttons.selectedRow() + down, 0, m_functionList->count() - 1));
        syncLists();
        m_host.listRowMoved(m_functionList, buttons.selectedRow());
    } else if (key == Qt::Key_Right && m_dpiList) {
        // "DPI Switch" keeps its options in a list beside its row.
        m_keyInDpiList = true;
        buttons.hoverDpiRow(std::max(buttons.selectedDpiRow(), 0));
        m_dpiList->setCurrentRow(buttons.selectedDpiRow());
    } else if (isPress(key) && buttons.selectedRow() >= 0) {
        onFunctionRowChosen(buttons.selectedRow());
    }
    return true;
}

Element KeyPage::arrowKey(Element stop, int key)
{
    const int by = step(key);
    if (by == 0)
        return Element::None;
    if (inRange(stop, Element::ReportRate125, Element::ReportRate1000)) {
        // The four positions are one choice: the arrow moves it.
        const int position = std::clamp(indexIn(stop, Element::ReportRate125) + by, 0, kReportRatePositions - 1);
        settingsClick(reportRateSegment(position));
        return reportRateSegment(position);
    }
    if (stop == Element::ModeA || stop == Element::ModeB) {
        const Element to = by > 0 ? Element::ModeB : Element::ModeA;
        click(to);
        return to;
    }
    if (isDpiBar(stop)) {
        const KeyPageSettings& settings = m_controller.settings();
        const int row = settings.row(SettingId::DpiStageValue, dpiBarStage(stop));
        setValue(stop, (row < 0 ? settings.dpiRowCount() : row + 1) + by);
        return stop;
    }
    // A closed list's face opens with Down, as a combo box does.
    if (key == Qt::Key_Down &&
        (inRange(stop, Element::DropdownBox1, Element::DropdownBox6) ||
         inRange(stop, Element::DpiStageList1, Element::DpiStageList4) || stop == Element::LightingMode ||
         stop == Element::LightingParameter || stop == Element::DpiColourStage)) {
        click(stop);
        return stop;
    }
    return Element::None;
}

void KeyPage::setValue(Element stop, int value)
{
    if (!isDpiBar(stop))
        return;
    const int stage = dpiBarStage(stop);
    if (m_controller.settings().chooseRow(SettingId::DpiStageValue, stage, value - 1))
        redrawStage(stage);
}

} // namespace varcel::ui
