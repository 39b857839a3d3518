#include "ui/key_page.h"

#include "device/device_commands.h"
#include "lang/dialog_strings.h"
#include "lang/ui_strings.h"
#include "ui/main_window.h"

#include <QMessageBox>
#include <QPainter>

namespace varcel::ui {

KeyPage::KeyPage(CHidMouseDlg& window) : WindowPage(window)
{
    placeholderDialog = [this](const QString& function) {
        QMessageBox box(QMessageBox::Information, function,
                        function + QStringLiteral(": this setting is not available in this version yet."),
                        QMessageBox::Cancel, &m_window);
        box.exec();
    };

    ButtonModel& buttons = m_window.controller().buttons();
    auto placeholder = [this](FunctionKind kind) {
        return [this, kind] { placeholderDialog(qs(functionName(m_window.language(), kind))); };
    };
    buttons.dialogs.applicationKey = [p = placeholder(FunctionKind::Windows)] { p(); return std::optional<ApplicationKeyChoice>(); };
    buttons.dialogs.multimedia = [p = placeholder(FunctionKind::Multimedia)] { p(); return std::optional<MultimediaChoice>(); };
    buttons.dialogs.fireKey = [p = placeholder(FunctionKind::FireKey)] { p(); return std::optional<FireKeyChoice>(); };
    buttons.dialogs.singleKey = [p = placeholder(FunctionKind::SingleKey)] { p(); return std::optional<SingleKeyChoice>(); };
    buttons.dialogs.comboKey = [p = placeholder(FunctionKind::ComboKey)] { p(); return std::optional<ComboKeyChoice>(); };
    buttons.dialogs.macroKey = [p = placeholder(FunctionKind::MacroKey)] { p(); return std::optional<MacroKeyChoice>(); };
}

// ---- Drawing --------------------------------------------------------------

void KeyPage::drawDropdownBox(QPainter& painter, int box, bool over)
{
    const Element e = dropdownBox(box);
    const Rect r = ui::rect(e);
    Skin& skin = m_window.skin();
    skin.drawImage(painter, over ? QStringLiteral("DropdownBox-over.png") : QStringLiteral("DropdownBox-normal.png"),
                   r.x, r.y);
    m_window.drawText(painter, dropdownNumberRect(box), QString::number(box + 1), m_window.font(),
                      skin.textColour());
    m_window.drawText(painter, dropdownLabelRect(box),
                      qs(m_window.controller().buttons().label(static_cast<std::size_t>(box))), m_window.font(),
                      skin.textColour());
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
        const bool chosen = (m_window.controller().buttons().shownLayer() == Layer::A) == (e == Element::ModeA);
        m_window.skin().drawImage(painter, chosen ? QStringLiteral("button-over.png") : QStringLiteral("button-normal.png"),
                                  r.x, r.y);
        m_window.drawText(painter, {r, Align::Centre}, qs(e == Element::ModeA ? text::kModeA : text::kModeB),
                          m_window.font(), m_window.skin().textColour());
        return true;
    }
    return false;
}

void KeyPage::draw(QPainter& painter)
{
    const Language lang = m_window.language();
    const ConfigImage& image = m_window.controller().config().working();
    Skin& skin = m_window.skin();
    const QFont& font = m_window.font();
    const QColor text = skin.textColour();
    skin.drawImage(painter, QStringLiteral("BasicSet2.png"), 0, 0);
    m_window.drawText(painter, caption(Caption::PageTitle).spot, qs(uiString(lang, UiString::BasicSettings)),
                      m_window.titleFont(), Qt::white);
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
        m_window.drawText(painter, caption(where).spot, qs(uiString(lang, what)), font, text);
    m_window.drawCommon(painter);
    for (Element e : {Element::ModeA, Element::ModeB, Element::KeyDefault})
        m_window.drawElement(painter, e, false);
    for (int box = 0; box < kDropdownBoxes; ++box)
        drawDropdownBox(painter, box, false);

    // Report rate: the selected interval lit.
    const std::uint8_t rateCodes[kReportRatePositions] = {8, 4, 2, 1};
    const char* const rateTexts[kReportRatePositions] = {"125", "250", "500", "1000"};
    for (int i = 0; i < kReportRatePositions; ++i) {
        const Rect r = ui::rect(reportRateSegment(i));
        const bool lit = image[img::kReportRate] == rateCodes[i];
        skin.drawImage(painter, lit ? QStringLiteral("slider-RP-light.png") : QStringLiteral("slider-RP-dark.png"), r.x,
                       r.y);
        m_window.drawText(painter, reportRateLabel(i), QString::fromLatin1(rateTexts[i]), font, text);
    }

    // DPI stages: the enable box, the value and the bar up to the value's row.
    const std::uint8_t sensor = m_window.controller().session().commands().sensorType();
    const int rows = static_cast<int>(dpiRowCount(sensor));
    for (int row = 0; row < rows; ++row)
        m_window.drawText(painter, dpiScaleLabel(row), qs(dpiValueText(sensor, static_cast<std::uint8_t>(row))), font,
                          text);
    for (int stage = 0; stage < kDpiStages; ++stage) {
        const bool enabled = image[img::kDpiEnabled + static_cast<std::size_t>(stage)] != 0;
        const int row = image[img::kDpiValue + static_cast<std::size_t>(stage)];
        const Rect box = ui::rect(dpiStageEnable(stage));
        skin.drawImage(painter, enabled ? QStringLiteral("PaneMakingTick.png") : QStringLiteral("Pane.png"), box.x,
                       box.y);
        m_window.drawText(painter, dpiStageCaption(stage), QStringLiteral("DPI Stage%1").arg(stage + 1), font, text);
        m_window.drawText(painter, dpiStageValue(stage), qs(dpiValueText(sensor, static_cast<std::uint8_t>(row))),
                          font, text);
        for (int segment = 0; segment < rows; ++segment) {
            const Rect r = ui::rect(dpiBarSegment(stage, segment));
            const bool lit = enabled && segment <= row;
            skin.drawImage(painter, lit ? QStringLiteral("slider-DPI-light.png") : QStringLiteral("slider-DPI-dark.png"),
                           r.x, r.y);
        }
    }

    // Lighting: mode and parameter faces, loop colours, DPI colour bits.
    const UiString modes[] = {UiString::OffMode, UiString::StandardMode, UiString::RespirationMode,
                              UiString::NeonMode};
    const std::uint8_t mode = image[img::kRgbMode];
    for (Element selector : {Element::LightingMode, Element::LightingParameter, Element::DpiColourStage}) {
        const Rect r = ui::rect(selector);
        skin.drawImage(painter, QStringLiteral("DropdownBox.png"), r.x, r.y);
    }
    m_window.drawText(painter, selectorTextRect(Element::LightingMode), qs(uiString(lang, modes[mode <= 3 ? mode : 0])),
                      font, text);
    if (mode >= 1 && mode <= 3) {
        const int param = image[img::kRgbParam1 + mode - 1];
        QString value;
        if (mode == 1)
            value = QStringLiteral("%1%").arg((param + 1) * 10 - (param == 0 ? 5 : 0));
        else if (mode == 2)
            value = QStringLiteral("%1S").arg(8 - param);
        else
            value = QString::number((param + 1) * 0.5) + QStringLiteral("S");
        m_window.drawText(painter, selectorTextRect(Element::LightingParameter), value, font, text);
    }
    m_window.drawText(painter, selectorTextRect(Element::DpiColourStage), QStringLiteral("DPI Stage1"), font, text);
    for (int colour = 0; colour < kLoopColours; ++colour) {
        const auto c = static_cast<std::size_t>(colour);
        const Rect box = ui::rect(loopColourEnable(colour));
        skin.drawImage(painter,
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
        skin.drawImage(painter, on ? QStringLiteral("PaneMakingTick.png") : QStringLiteral("Pane.png"), box.x, box.y);
        m_window.drawText(painter, dpiColourBitLabel(bit), QString::fromLatin1(bitNames[bit]), font, text);
    }
}

void KeyPage::redrawBoxes(std::vector<Element> also)
{
    for (int box = 0; box < kDropdownBoxes; ++box)
        also.push_back(dropdownBox(box));
    m_window.redrawElements(also);
}

// ---- Clicks ----------------------------------------------------------------

bool KeyPage::click(Element hit)
{
    // A click outside an open list and its box closes the list first.
    if (m_functionList && hit != dropdownBox(m_listBox))
        closeLists();

    ButtonModel& buttons = m_window.controller().buttons();
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
    return hit != Element::None;
}

// ---- Lists -----------------------------------------------------------------

void KeyPage::closeLists()
{
    m_window.controller().buttons().closeLists();
    destroyListWidgets();
}

void KeyPage::destroyListWidgets()
{
    if (m_dpiList)
        m_dpiList->deleteLater();
    if (m_functionList)
        m_functionList->deleteLater();
    m_dpiList = nullptr;
    m_functionList = nullptr;
    m_listBox = -1;
}

// Makes the list boxes show what the model says is open.
void KeyPage::syncLists()
{
    ButtonModel& buttons = m_window.controller().buttons();
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
        m_functionList = m_window.makeList(QStringLiteral("functionList"), rows, functionListRect(box), m_window.font());
        connect(m_functionList, &QListWidget::itemEntered, this, [this](QListWidgetItem* item) {
            m_window.controller().buttons().hoverFunctionRow(m_functionList->row(item));
            syncLists();
        });
        connect(m_functionList, &QListWidget::itemClicked, this,
                [this](QListWidgetItem* item) { onFunctionRowChosen(m_functionList->row(item)); });
    }
    if (buttons.selectedRow() >= 0)
        m_functionList->setCurrentRow(buttons.selectedRow());

    if (buttons.isDpiListOpen() && !m_dpiList) {
        // Three short rows in a 60-pixel square: a size smaller than the page.
        QFont small = m_window.font();
        small.setPixelSize(std::max(9, small.pixelSize() - 2));
        QStringList options;
        for (const char* option : text::kDpiOptions)
            options << qs(option);
        m_dpiList = m_window.makeList(QStringLiteral("dpiOptionList"), options, dpiOptionListRect(box), small);
        connect(m_dpiList, &QListWidget::itemEntered, this,
                [this](QListWidgetItem* item) { m_window.controller().buttons().hoverDpiRow(m_dpiList->row(item)); });
        connect(m_dpiList, &QListWidget::itemClicked, this,
                [this](QListWidgetItem* item) { onDpiRowChosen(m_dpiList->row(item)); });
    } else if (!buttons.isDpiListOpen() && m_dpiList) {
        m_dpiList->deleteLater();
        m_dpiList = nullptr;
    }
}

void KeyPage::onFunctionRowChosen(int row)
{
    if (m_listBox < 0)
        return;
    const int box = m_listBox;
    m_window.controller().buttons().chooseFunction(static_cast<std::size_t>(box), row);
    syncLists();
    m_window.redrawElements({dropdownBox(box)});
}

void KeyPage::onDpiRowChosen(int row)
{
    const int box = m_listBox;
    m_window.controller().buttons().chooseDpiOption(row);
    syncLists();
    if (box >= 0)
        m_window.redrawElements({dropdownBox(box)});
}

} // namespace varcel::ui
