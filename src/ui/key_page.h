// The key page ("Basic Settings"): the button functions of both layers, the
// report rate, the DPI stages and the lighting, drawn from the working image.
#pragma once

#include "settings/key_page_settings.h"
#include "ui/window_page.h"

#include <QListWidget>
#include <QPointer>

#include <QColor>

#include <functional>
#include <optional>

namespace varcel::ui {

class KeyPage : public WindowPage {
public:
    KeyPage(PageHost& host, MainController& controller);

    void draw(QPainter& painter) override;
    void paintBackground(QPainter& painter, const Rect& area) override;
    bool drawElement(QPainter& painter, Element element, bool over) override;
    bool click(Element hit) override;
    void closeLists() override;

    // A click somewhere else than on the face of the list that is open: the
    // list closes before the click does anything else.
    void closeListsMissing(Element hit) override;

    bool hasOpenList() const override { return m_functionList || m_settingsList; }
    bool listKey(int key) override;
    Element arrowKey(Element stop, int key) override;
    void setValue(Element stop, int value) override;

    QListWidget* functionList() const { return m_functionList; }
    QListWidget* dpiOptionList() const { return m_dpiList; }
    // The open list of the DPI stages, the lighting or the colour stage.
    QListWidget* settingsList() const { return m_settingsList; }

    // The mouse may have told a new sensor type: the DPI lists, bars and
    // scale follow it, an open stage list included.
    void sensorTypeMayHaveChanged();

    // The system colour chooser, starting from black; nothing when cancelled.
    std::function<std::optional<QColor>()> chooseColour;

private:
    // Rows 8 to 13 of a function list run their parameter dialog over the window.
    void setUpParameterDialogs();
    void drawDropdownBox(QPainter& painter, int box, bool over);
    void redrawBoxes(std::vector<Element> also = {});
    void syncLists();
    void destroyListWidgets();
    void onFunctionRowChosen(int row);
    void onDpiRowChosen(int row);

    bool settingsClick(Element hit);
    bool drawSettingsElement(QPainter& painter, Element e);
    void drawBox(QPainter& painter, Element e, bool ticked);
    void drawSelector(QPainter& painter, Element e, const QString& text);
    void redrawStage(int stage, bool withBar = true);
    void syncSettingsList();
    void destroySettingsList();
    void onSettingsRowChosen(int row);

    QPointer<QListWidget> m_functionList;
    QPointer<QListWidget> m_dpiList;
    int m_listBox = -1;
    // The keyboard went right into the DPI option list beside the function list.
    bool m_keyInDpiList = false;
    QPointer<QListWidget> m_settingsList;
    SettingsList m_settingsListShown = SettingsList::None;
    // The sensor type the page was last drawn with.
    std::uint8_t m_drawnSensorType = 0;
};

} // namespace varcel::ui
