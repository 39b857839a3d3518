#include "ui/skin.h"

#include "buttons/labels_file.h"
#include "platform/data_dir.h"

#include <QFileInfo>
#include <QImageReader>
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

void Skin::setDevicePixelRatio(qreal ratio)
{
    if ((ratio > 1) == m_double)
        return;
    m_double = ratio > 1;
    m_cache.clear();
}

QString Skin::pathOf(const QString& name) const
{
    // "DropdownBox.png" is also asked for as "dropdownbox.png": Windows file
    // names ignore case, ours do not.
    QString path = QString::fromStdString((m_folder / name.toStdString()).string());
    if (!QFileInfo::exists(path) && name.toLower() == QLatin1String("dropdownbox.png"))
        path = QString::fromStdString((m_folder / "DropdownBox.png").string());
    return path;
}

QSize Skin::imageSize(const QString& name) const { return QImageReader(pathOf(name)).size(); }

const QImage& Skin::image(const QString& name) const
{
    auto found = m_cache.find(name);
    if (found == m_cache.end()) {
        const QString path = pathOf(name);
        QImage decoded;
        if (m_double) {
            // Drawn at twice the size, then shown at one and a half or two
            // device pixels a unit: crisp where a 1x image would be blurred.
            const QString twice = path.chopped(4) + QStringLiteral("@2x.png");
            if (decoded.load(twice))
                decoded.setDevicePixelRatio(2);
        }
        if (decoded.isNull())
            decoded.load(path);
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

void Skin::drawPart(QPainter& painter, const QString& name, const QRect& area, QPoint at) const
{
    const QImage& img = image(name);
    if (img.isNull())
        return;
    // The source is in the image's own pixels.
    const qreal ratio = img.devicePixelRatio();
    const QRectF source(area.x() * ratio, area.y() * ratio, area.width() * ratio, area.height() * ratio);
    painter.drawImage(QRectF(QRect(at, area.size())), img, source);
}

} // namespace varcel::ui
