// The active skin: its folder, its images and the text colour.
#pragma once

#include "ui/layout.h"

#include <QColor>
#include <QHash>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

class QFont;
class QListWidget;
class QPainter;

namespace varcel {
struct TextColour;
}

namespace varcel::ui {

// The core's texts and the layout's places as the toolkit takes them.
inline QString qs(const std::string& text) { return QString::fromStdString(text); }
inline QString qs(const char* text) { return QString::fromUtf8(text); }
QStringList qstrings(const std::vector<std::string>& texts);
inline QRect qrect(const Rect& r) { return {r.x, r.y, r.w, r.h}; }
inline QPoint middle(const Rect& r) { return {r.x + r.w / 2, r.y + r.h / 2}; }
TextColour toTextColour(const QColor& colour);

// The skin a new user sees, and the one that stands in for a missing skin.
inline constexpr const char* kDefaultSkin = "Dark";

// The colours of what the skin's images do not draw: text fields, open
// lists, the row under the pointer and the mark of the current value. A skin
// gives them in skin.ini, [Look]; one that does not is drawn as the dark
// skins are, white on dark grey.
struct SkinLook {
    QColor field{40, 40, 40};
    QColor fieldText{255, 255, 255};
    QColor fieldBorder{90, 95, 102};
    QColor list{40, 40, 40};
    QColor listText{255, 255, 255};
    QColor listBorder{90, 95, 102};
    QColor hover{14, 116, 144};
    QColor hoverText{255, 255, 255};
    QColor accent{34, 211, 238};
    QColor hint{150, 150, 150}; // a field's hint while it is empty, and disabled texts

    // Style sheets of a text field (QLineEdit and QLabel faces) and of a list.
    QString fieldStyle() const;
    QString listStyle() const;
    // The toolkit's own windows (message boxes, the name prompt, the colour
    // chooser) and the tray menu in the same colours.
    QString toolkitStyle() const;
};

class Skin {
public:
    // Skins live in "Skins/<name>" of the data folder, else of the installed
    // defaults, else beside the program. An empty name looks in Skins itself.
    // A name that is not one folder inside Skins/ (empty aside: "..", an
    // absolute path, anything with a separator) is taken as the default skin.
    static std::filesystem::path folderFor(const std::filesystem::path& dataDir, const std::string& name);
    // The folders skins are looked for in, in that order.
    static std::vector<std::filesystem::path> roots(const std::filesystem::path& dataDir);
    static bool isSkinName(const std::string& name);

    void setFolder(const std::filesystem::path& folder);
    const std::filesystem::path& folder() const { return m_folder; }
    void setTextColour(const QColor& colour) { m_textColour = colour; }
    const QColor& textColour() const { return m_textColour; }
    // The text colour the skin's author suggests (skin.ini, [Skin] RColor,
    // GColor, BColor), if the skin says.
    std::optional<QColor> suggestedTextColour() const;
    // The skin's colours for fields and lists (skin.ini, [Look]), read once
    // per folder.
    const SkinLook& look() const;

    // The image as premultiplied ARGB32, decoded once and kept until
    // releaseImages(): what is drawn is the file's content either way, without
    // reading the disk on every hover. On a screen of more than one device
    // pixel per layout unit it is the "@2x" image where the skin has one,
    // with a device pixel ratio of 2, so it is drawn in the same layout size.
    // A missing image is a null image.
    const QImage& image(const QString& name) const;
    // The image's size in layout units, read from the file without decoding it.
    QSize imageSize(const QString& name) const;
    // How many device pixels a layout unit takes on the screen drawn to.
    void setDevicePixelRatio(qreal ratio);
    // Lets every decoded image go (the window is out of sight).
    void releaseImages() { m_cache.clear(); }

    // Blends the image at (x, y) in its own size; false when it is missing.
    bool drawImage(QPainter& painter, const QString& name, int x, int y) const;
    // Blends the part `area` (layout units) of the image at `at`.
    void drawPart(QPainter& painter, const QString& name, const QRect& area, QPoint at) const;
    void drawPart(QPainter& painter, const QString& name, const QRect& area) const
    {
        drawPart(painter, name, area, area.topLeft());
    }

private:
    QString pathOf(const QString& name) const;

    std::filesystem::path m_folder;
    bool m_double = false;
    QColor m_textColour{0, 255, 0};
    mutable QHash<QString, QImage> m_cache;
    mutable std::optional<SkinLook> m_look;
};

// Every drop-down list of the window and the dialogs in the skin's look: rows
// tall enough for the text, the text padded from the edges, the row under
// the pointer (the list's current row) in the skin's highlight, and the row
// `valueRow` (the value the face shows now, -1 for none) marked.
void styleDropList(QListWidget& list, const Skin& skin, const QFont& font, int valueRow);
// Marks another row as the face's value.
void markDropListValue(QListWidget& list, int valueRow);

// The keyboard's mark around the stop with the focus.
void drawFocusMark(QPainter& painter, const Rect& r, const QColor& colour);

// A text in its spot, vertically centred (`flags`: Qt::TextSingleLine or
// Qt::TextWordWrap); a line longer than its place is set smaller rather than cut.
void drawText(QPainter& painter, const TextSpot& spot, const QString& text, const QFont& font, const QColor& colour,
              int flags = Qt::TextSingleLine);

} // namespace varcel::ui
