#include "ui/skin.h"

#include "buttons/labels_file.h"
#include "platform/data_dir.h"

#include <QPainter>

namespace varcel::ui {

namespace fs = std::filesystem;

bool Skin::isSkinName(const std::string& name)
{
    // One folder inside Skins/: str.ini is a text file anyone may edit, and
    // "Path=../../../../etc" must not send the window reading elsewhere.
    return name != "." && name != ".." && name.find('/') == std::string::npos
           && name.find('\\') == std::string::npos && name.find('\0') == std::string::npos;
}

fs::path Skin::folderFor(const fs::path& dataDir, const std::string& requested)
{
    std::error_code ec;
    const std::string name = isSkinName(requested) ? requested : std::string(kDefaultSkin);
    const fs::path roots[] = {dataDir / "Skins", installedDataDir() / "Skins", executableDir() / "Skins"};
    // A skin that is not there (a str.ini without "Path", a folder the user
    // removed) falls back to the default skin instead of an empty window.
    for (const std::string& candidate : {name, std::string(kDefaultSkin)}) {
        for (const fs::path& root : roots) {
            const fs::path folder = candidate.empty() ? root : root / candidate;
            if (fs::is_regular_file(folder / "main.png", ec))
                return folder;
        }
    }
    return dataDir / "Skins" / name;
}

std::optional<QColor> Skin::suggestedTextColour() const
{
    const auto colour = skinSuggestedColour(m_folder);
    if (!colour)
        return std::nullopt;
    return QColor(colour->r, colour->g, colour->b);
}

void Skin::setFolder(const fs::path& folder)
{
    if (folder == m_folder)
        return;
    m_folder = folder;
    m_cache.clear();
}

const QImage& Skin::image(const QString& name) const
{
    auto found = m_cache.find(name);
    if (found == m_cache.end()) {
        QImage decoded(QString::fromStdString((m_folder / name.toStdString()).string()));
        // "DropdownBox.png" is also asked for as "dropdownbox.png": Windows
        // file names ignore case, ours do not.
        if (decoded.isNull() && name.toLower() == QLatin1String("dropdownbox.png"))
            decoded.load(QString::fromStdString((m_folder / "DropdownBox.png").string()));
        if (!decoded.isNull())
            decoded = decoded.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        found = m_cache.insert(name, decoded);
    }
    return *found;
}

bool Skin::drawImage(QPainter& painter, const QString& name, int x, int y) const
{
    const QImage& img = image(name);
    if (img.isNull())
        return false;
    painter.drawImage(x, y, img);
    return true;
}

} // namespace varcel::ui
