// The key page ("Basic Settings"): the button functions of both layers, the
// report rate, the DPI stages and the lighting, drawn from the working image.
#pragma once

#include "ui/window_page.h"

#include <QListWidget>
#include <QPointer>

#include <functional>

namespace varcel::ui {

class KeyPage : public WindowPage {
public:
    explicit KeyPage(CHidMouseDlg& window);

    void draw(QPainter& painter) override;
    bool drawElement(QPainter& painter, Element element, bool over) override;
    bool click(Element hit) override;
    void closeLists() override;

    QListWidget* functionList() const { return m_functionList; }
    QListWidget* dpiOptionList() const { return m_dpiList; }

    // Runs when a parameter dialog of rows 8 to 13 is asked for; until those
    // dialogs exist it shows a placeholder that gives nothing back.
    std::function<void(const QString& function)> placeholderDialog;

private:
    void drawDropdownBox(QPainter& painter, int box, bool over);
    void redrawBoxes(std::vector<Element> also = {});
    void syncLists();
    void destroyListWidgets();
    void onFunctionRowChosen(int row);
    void onDpiRowChosen(int row);

    QPointer<QListWidget> m_functionList;
    QPointer<QListWidget> m_dpiList;
    int m_listBox = -1;
};

} // namespace varcel::ui
