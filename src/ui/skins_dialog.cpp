#include "ui/skins_dialog.h"

#include "buttons/labels_file.h"
#include "lang/dialog_strings.h"

#include <QColorDialog>
#include <QPainter>

#include <algorithm>

namespace varcel::ui {

namespace fs = std::filesystem;

std::vector<std::pair<std::string, fs::path>> CSkinsDialog::skinFolders(const std::vector<fs::path>& roots)
{
    std::vector<std::pair<std::string, fs::path>> folders;
    std::error_code ec;
    for (const fs::path& root : roots) {
        std::vector<std::pair<std::string, fs::path>> here;
        for (const auto& entry : fs::directory_iterator(root, ec))
            if (entry.is_directory(ec))
                here.emplace_back(entry.path().filename().string(), entry.path());
        std::sort(here.begin(), here.end());
        for (auto& folder : here)
            if (std::none_of(folders.begin(), folders.end(), [&](const auto& f) { return f.first == folder.first; }))
                folders.push_back(std::move(folder));
    }
    return folders;
}

CSkinsDialog::CSkinsDialog(const Skin& current, std::string currentName, std::vector<fs::path> roots, Language language,
                           Reporter& reporter, QWidget* parent)
    : SkinnedDialog(Dialog::Skins, current, language, reporter, text::kSkinsBackgroundFailed, parent),
      m_name(std::move(currentName)), m_folder(current.folder()), m_roots(std::move(roots)),
      m_colour(current.textColour())
{
    setTitle(text::kSkinsTitle(language));
    chooseColour = [this](const QColor& initial) -> std::optional<QColor> {
        // Qt's own chooser, in the skin's colours (the application's style
        // sheet), opening at the swatch's colour.
        QColorDialog chooser(initial, this);
        chooser.setOption(QColorDialog::DontUseNativeDialog);
        chooser.setWindowTitle(qs(text::kSkinColourPrompt(this->language())));
        if (chooser.exec() != QDialog::Accepted || !chooser.selectedColor().isValid())
            return std::nullopt;
        return chooser.selectedColor();
    };
}

void CSkinsDialog::paintContents(QPainter& painter)
{
    const DialogLayout& l = layout();
    // The dialog speaks in the window's colour, not in the one being chosen.
    painter.setPen(textColour());
    painter.setFont(font());
    painter.drawText(qrect(l.prompt.rect), Qt::AlignCenter, qs(text::kSkinColourPrompt(language())));
    painter.fillRect(qrect(l.swatch), m_colour);
    painter.drawText(qrect(l.face).adjusted(8, 0, -24, 0), Qt::AlignVCenter | Qt::AlignLeft, qs(m_name));
}

void CSkinsDialog::clickAt(const QPoint& pos)
{
    const DialogLayout& l = layout();
    if (l.face.contains(pos.x(), pos.y())) {
        if (rowList()) {
            closeList();
            return;
        }
        QStringList names;
        int current = -1;
        for (const auto& [name, path] : skinFolders(m_roots)) {
            if (name == m_name)
                current = static_cast<int>(names.size());
            names << qs(name);
        }
        openList(names, l.list, current, [this, names](int row) { choose(names[row].toStdString()); });
    } else if (l.swatch.contains(pos.x(), pos.y()) && chooseColour) {
        if (const auto chosen = chooseColour(m_colour)) {
            m_colour = *chosen;
            m_colourPicked = true;
            update();
        }
    }
}

void CSkinsDialog::choose(const std::string& name)
{
    m_name = name;
    // A name whose folder has gone keeps the previous folder.
    for (const auto& [folderName, path] : skinFolders(m_roots))
        if (folderName == m_name) {
            m_folder = path;
            break;
        }
    // The swatch shows the colour OK will give the texts.
    const TextColour shown = toTextColour(m_colour);
    const TextColour colour =
        textColourForSkin(m_colourPicked ? std::optional(shown) : std::nullopt, m_folder, shown);
    m_colour = QColor(colour.r, colour.g, colour.b);
    update();
}

} // namespace varcel::ui
