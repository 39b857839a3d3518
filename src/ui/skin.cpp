#include "ui/skin.h"

#include "buttons/labels_file.h"
#include "platform/data_dir.h"

#include "platform/ini_file.h"
#include "ui/layout.h"

#include <QFileInfo>
#include <QImageReader>
#include <QListWidget>
#include <QPainter>
#include <QStyledItemDelegate>

namespace varcel::ui {

namespace fs = std::filesystem;

QStringList qstrings(const std::vector<std::string>& texts)
{
    QStringList out;
    for (const std::string& text : texts)
        out << qs(text);
    return out;
}

TextColour toTextColour(const QColor& colour)
{
    return {static_cast<std::uint8_t>(colour.red()), static_cast<std::uint8_t>(colour.green()),
            static_cast<std::uint8_t>(colour.blue())};
}

bool Skin::isSkinName(const std::string& name)
{
    // One folder inside Skins/: str.ini is a text file anyone may edit, and
    // "Path=../../../../etc" must not send the window reading elsewhere.
    return name != "." && name != ".." && name.find('/') == std::string::npos
           && name.find('\\') == std::string::npos && name.find('\0') == std::string::npos;
}

std::vector<fs::path> Skin::roots(const fs::path& dataDir)
{
    return {dataDir / "Skins", installedDataDir() / "Skins", executableDir() / "Skins"};
}

fs::path Skin::folderFor(const fs::path& dataDir, const std::string& requested)
{
    std::error_code ec;
    const std::string name = isSkinName(requested) ? requested : std::string(kDefaultSkin);
    // A skin that is not there (a str.ini without "Path", a folder the user
    // removed) falls back to the default skin instead of an empty window.
    for (const std::string& candidate : {name, std::string(kDefaultSkin)}) {
        for (const fs::path& root : roots(dataDir)) {
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
    m_look.reset();
}

const SkinLook& Skin::look() const
{
    if (m_look)
        return *m_look;
    SkinLook look;
    const IniFile ini = IniFile::load(m_folder / "skin.ini");
    const std::pair<const char*, QColor*> keys[] = {
        {"Field", &look.field},   {"FieldText", &look.fieldText}, {"FieldBorder", &look.fieldBorder},
        {"List", &look.list},     {"ListText", &look.listText},   {"ListBorder", &look.listBorder},
        {"Hover", &look.hover},   {"HoverText", &look.hoverText}, {"Accent", &look.accent},
        {"Hint", &look.hint},
    };
    // Each colour is "#rrggbb"; one the file garbles keeps the dark look's.
    for (const auto& [key, colour] : keys)
        if (const auto text = ini.value("Look", key); text && text->size() == 7 && text->front() == '#') {
            const QColor read(QString::fromStdString(*text));
            if (read.isValid())
                *colour = read;
        }
    m_look = look;
    return *m_look;
}

QString SkinLook::fieldStyle() const
{
    return QStringLiteral("QLineEdit, QLabel { background: %1; color: %2; border: none; padding: 0 4px;"
                          " selection-background-color: %3; selection-color: %4; }"
                          "QLineEdit:disabled, QLabel:disabled { color: %5; }"
                          // The field that takes the next key or digit shows it.
                          "QLineEdit:focus { border: 1px solid %6; }")
        .arg(field.name(), fieldText.name(), hover.name(), hoverText.name(), hint.name(), accent.name());
}

QString SkinLook::listStyle() const
{
    return QStringLiteral("QListWidget { background: %1; color: %2; border: 1px solid %3; outline: 0; }"
                          "QScrollBar:vertical { background: %1; width: 8px; margin: 1px; }"
                          "QScrollBar::handle:vertical { background: %3; min-height: 16px; border-radius: 3px; }"
                          "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
                          "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }")
        .arg(list.name(), listText.name(), listBorder.name());
}

QString SkinLook::toolkitStyle() const
{
    // Scoped to those windows: the skinned window and dialogs draw their own.
    const QString windows = QStringLiteral("QMessageBox, QInputDialog, QColorDialog");
    const auto inside = [&](const char* what) {
        QStringList out;
        for (const QString& w : windows.split(QStringLiteral(", ")))
            out << w + QLatin1Char(' ') + QLatin1String(what);
        return out.join(QStringLiteral(", "));
    };
    return QStringLiteral("%1 { background: %2; color: %3; }"
                          "%4 { color: %3; background: transparent; }"
                          "%5 { background: %6; color: %7; border: 1px solid %8; border-radius: 3px; padding: 3px;"
                          " selection-background-color: %9; selection-color: %10; }"
                          "%11 { background: %6; color: %7; border: 1px solid %8; border-radius: 4px;"
                          " padding: 4px 16px; min-width: 64px; }"
                          "%12 { border-color: %13; }"
                          "%14 { background: %9; color: %10; }"
                          "QMenu { background: %2; color: %3; border: 1px solid %8; padding: 4px 0; }"
                          "QMenu::item { padding: 5px 24px 5px 12px; }"
                          "QMenu::item:selected { background: %9; color: %10; }"
                          "QMenu::item:disabled { color: %15; }"
                          // One choice of several (the profiles): a round mark.
                          "QMenu::indicator:exclusive { width: 8px; height: 8px; margin-left: 8px; border-radius: 5px;"
                          " border: 1px solid %15; }"
                          "QMenu::indicator:exclusive:checked { background: %13; border-color: %13; }"
                          "QMenu::separator { height: 1px; background: %8; margin: 4px 8px; }"
                          "QToolTip { background: %2; color: %3; border: 1px solid %8; padding: 3px 6px; }")
        .arg(windows, list.name(), listText.name(), inside("QLabel"),
             inside("QLineEdit") + QStringLiteral(", ") + inside("QSpinBox"), field.name(), fieldText.name(),
             listBorder.name(), hover.name(), hoverText.name(), inside("QPushButton"))
        .arg(inside("QPushButton:hover") + QStringLiteral(", ") + inside("QPushButton:default"), accent.name(),
             inside("QPushButton:pressed"), hint.name());
}

namespace {

// Whether a row is the value its face shows.
constexpr int kValueRole = Qt::UserRole + 40;
constexpr int kTextPadding = 8;
constexpr int kNarrowPadding = 3;
constexpr int kSmallestPixels = 9;

class DropListDelegate : public QStyledItemDelegate {
public:
    DropListDelegate(const SkinLook& look, QObject* parent) : QStyledItemDelegate(parent), m_look(look) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QRect r = option.rect;
        const bool lit = option.state & QStyle::State_Selected;
        const bool value = index.data(kValueRole).toBool();
        painter->save();
        if (lit)
            painter->fillRect(r, m_look.hover);
        // The value the face shows: a bar of the skin's accent on the left
        // and its text in the accent, where the pointer is not.
        if (value)
            painter->fillRect(QRect(r.x() + 1, r.y() + 3, 3, r.height() - 6), lit ? m_look.hoverText : m_look.accent);
        const QString text = index.data(Qt::DisplayRole).toString();
        QFont font = option.font;
        int padding = kTextPadding;
        // A narrow list (the DPI options beside the function list) gives
        // up its padding, then its size, before it cuts a text.
        const auto fits = [&] { return QFontMetrics(font).horizontalAdvance(text) <= r.width() - 2 * padding; };
        if (!fits())
            padding = kNarrowPadding + (value ? 2 : 0);
        while (!fits() && font.pixelSize() > kSmallestPixels)
            font.setPixelSize(font.pixelSize() - 1);
        painter->setFont(font);
        painter->setPen(lit ? m_look.hoverText : value ? m_look.accent : m_look.listText);
        const QRect inside = r.adjusted(padding, 0, -padding, 0);
        painter->drawText(inside, Qt::AlignVCenter | Qt::AlignLeft,
                          QFontMetrics(font).elidedText(text, Qt::ElideRight, inside.width()));
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return {QStyledItemDelegate::sizeHint(option, index).width(), kListRowHeight};
    }

private:
    SkinLook m_look;
};

} // namespace

void styleDropList(QListWidget& list, const Skin& skin, const QFont& font, int valueRow)
{
    list.setStyleSheet(skin.look().listStyle());
    list.setFont(font);
    list.setItemDelegate(new DropListDelegate(skin.look(), &list));
    markDropListValue(list, valueRow);
}

void drawText(QPainter& painter, const TextSpot& spot, const QString& text, const QFont& font, const QColor& colour,
              int flags)
{
    QFont fitted = font;
    if (!(flags & Qt::TextWordWrap))
        while (QFontMetrics(fitted).horizontalAdvance(text) > spot.rect.w && fitted.pixelSize() > 9)
            fitted.setPixelSize(fitted.pixelSize() - 1);
    painter.setFont(fitted);
    painter.setPen(colour);
    const Qt::Alignment align = spot.align == Align::Centre  ? Qt::AlignHCenter
                                : spot.align == Align::Right ? Qt::AlignRight
                                                             : Qt::AlignLeft;
    painter.drawText(qrect(spot.rect), static_cast<int>(align | Qt::AlignVCenter) | flags, text);
}

void drawFocusMark(QPainter& painter, const Rect& r, const QColor& colour)
{
    painter.setPen(QPen(colour, 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(r.x - 3, r.y - 3, r.w + 6, r.h + 6));
}

void markDropListValue(QListWidget& list, int valueRow)
{
    for (int i = 0; i < list.count(); ++i)
        list.item(i)->setData(kValueRole, i == valueRow);
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
