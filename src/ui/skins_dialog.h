// The skin dialog: choose a skin folder and the text colour.
#pragma once

#include "lang/language.h"
#include "ui/dialogs/dialog_keys.h"
#include "ui/layout.h"
#include "ui/skin.h"

#include <QDialog>
#include <QImage>
#include <QPointer>

#include <filesystem>
#include <string>
#include <vector>

class QListWidget;

namespace varcel {
class Reporter;
}

namespace varcel::ui {

class CSkinsDialog : public QDialog, public KeyedDialog {
    Q_OBJECT
public:
    // `current` draws the dialog; the list offers the skins of `roots`.
    CSkinsDialog(const Skin& current, std::string currentName, std::vector<std::filesystem::path> roots,
                 Language language, Reporter& reporter, QWidget* parent = nullptr);

    // False when the skin has no dialog background: the dialog cannot run.
    bool usable() const { return !m_background.isNull(); }

    const std::string& skinName() const { return m_name; }
    const std::filesystem::path& skinFolder() const { return m_folder; }
    // The colour OK gives the texts: the one the user picked, else the chosen
    // skin's own.
    const QColor& colour() const { return m_colour; }
    QListWidget* skinList() const { return m_list; }
    // The keyboard's stops, focus and mark, which screen readers share.
    DialogKeys& keys() override { return m_keys; }

    // What the colour chooser does; a test may stand in for the system's.
    std::function<std::optional<QColor>(const QColor& initial)> chooseColour;

    // The skin folders on offer: sub-folders of the roots, each name once.
    static std::vector<std::pair<std::string, std::filesystem::path>>
    skinFolders(const std::vector<std::filesystem::path>& roots);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    // A click at a point of the dialog, from the mouse or the keyboard.
    void pressAt(const QPoint& p);
    void toggleList();
    void choose(int row);
    const DialogLayout& layout() const;

    const Skin& m_skin;
    std::string m_name;
    std::filesystem::path m_folder;
    std::vector<std::filesystem::path> m_roots;
    Language m_language;
    QColor m_colour;
    bool m_colourPicked = false; // in the chooser, during this run
    QImage m_background;
    QPointer<QListWidget> m_list;
    enum class Over { None, Ok, Cancel, Close } m_over = Over::None;
    DialogKeys m_keys;
};

} // namespace varcel::ui
