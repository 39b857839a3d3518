// The skin dialog: choose a skin folder and the text colour.
#pragma once

#include "ui/dialogs/skinned_dialog.h"

#include <filesystem>
#include <string>
#include <vector>

namespace varcel::ui {

class CSkinsDialog : public SkinnedDialog {
    Q_OBJECT
public:
    // `current` draws the dialog; the list offers the skins of `roots`.
    CSkinsDialog(const Skin& current, std::string currentName, std::vector<std::filesystem::path> roots,
                 Language language, Reporter& reporter, QWidget* parent = nullptr);

    const std::string& skinName() const { return m_name; }
    const std::filesystem::path& skinFolder() const { return m_folder; }
    // The colour OK gives the texts: the one the user picked, else the chosen
    // skin's own.
    const QColor& colour() const { return m_colour; }
    QListWidget* skinList() const { return rowList(); }

    // What the colour chooser does; a test may stand in for the system's.
    std::function<std::optional<QColor>(const QColor& initial)> chooseColour;

    // The skin folders on offer: sub-folders of the roots, each name once.
    static std::vector<std::pair<std::string, std::filesystem::path>>
    skinFolders(const std::vector<std::filesystem::path>& roots);

protected:
    void paintContents(QPainter& painter) override;
    void clickAt(const QPoint& pos) override;
    QString faceText() const override { return qs(m_name); }

private:
    void choose(const std::string& name);

    std::string m_name;
    std::filesystem::path m_folder;
    std::vector<std::filesystem::path> m_roots;
    QColor m_colour;
    bool m_colourPicked = false; // in the chooser, during this run
};

} // namespace varcel::ui
