// Draws the program's icon for the desktop's icon theme: one drawing, written
// as a scalable SVG and painted into the PNG sizes menus and docks ask for.
// It is the tray icon's drawing: a mouse outline on a dark rounded tile.
//
//   make_icons OUT_DIR     writes OUT_DIR/hicolor/scalable/apps/varcel.svg and
//                          OUT_DIR/hicolor/<N>x<N>/apps/varcel.png
#include <QColor>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <QRectF>
#include <QString>

#include <algorithm>
#include <cstdio>

namespace {

// The drawing, on a 64-unit grid.
constexpr double kGrid = 64.0;
const QColor kTile(0x16, 0x1a, 0x20);
const QColor kLine(0x22, 0xd3, 0xee);

struct RoundRect {
    QRectF rect;
    double radius;
    bool filled;
};
const RoundRect kRects[] = {
    {{2, 2, 60, 60}, 14, true},   // the tile
    {{20, 12, 24, 40}, 12, false}, // the mouse
};
const QLineF kWheel(32, 12, 32, 26);

// Strokes stay at least this many pixels wide, so a 16-pixel icon still shows
// the mouse.
constexpr double kThinnestStroke = 1.25;
constexpr double kStroke = 3.0;

double strokeFor(int pixels)
{
    return std::max(kStroke, kThinnestStroke * kGrid / pixels);
}

QString svg()
{
    QString out = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                 "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"64\" height=\"64\" "
                                 "viewBox=\"0 0 64 64\">\n");
    for (const RoundRect& r : kRects) {
        out += QStringLiteral("  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" rx=\"%5\" fill=\"%6\" "
                              "stroke=\"%7\" stroke-width=\"%8\"/>\n")
                   .arg(r.rect.x())
                   .arg(r.rect.y())
                   .arg(r.rect.width())
                   .arg(r.rect.height())
                   .arg(r.radius)
                   .arg(r.filled ? kTile.name() : QStringLiteral("none"))
                   .arg(kLine.name())
                   .arg(kStroke);
    }
    out += QStringLiteral("  <line x1=\"%1\" y1=\"%2\" x2=\"%3\" y2=\"%4\" stroke=\"%5\" stroke-width=\"%6\"/>\n")
               .arg(kWheel.x1())
               .arg(kWheel.y1())
               .arg(kWheel.x2())
               .arg(kWheel.y2())
               .arg(kLine.name())
               .arg(kStroke);
    out += QStringLiteral("</svg>\n");
    return out;
}

QImage png(int pixels)
{
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(pixels / kGrid, pixels / kGrid);
    const QPen pen(kLine, strokeFor(pixels));
    p.setPen(pen);
    for (const RoundRect& r : kRects) {
        p.setBrush(r.filled ? QBrush(kTile) : QBrush(Qt::NoBrush));
        p.drawRoundedRect(r.rect, r.radius, r.radius);
    }
    p.drawLine(kWheel);
    p.end();
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_icons OUT_DIR\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const QString scalable = out.filePath(QStringLiteral("hicolor/scalable/apps"));
    if (!QDir().mkpath(scalable)) {
        std::fprintf(stderr, "make_icons: cannot create %s\n", qPrintable(scalable));
        return 1;
    }
    QFile file(scalable + QStringLiteral("/varcel.svg"));
    if (!file.open(QIODevice::WriteOnly) || file.write(svg().toUtf8()) < 0) {
        std::fprintf(stderr, "make_icons: cannot write %s\n", qPrintable(file.fileName()));
        return 1;
    }
    for (int pixels : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString dir = out.filePath(QStringLiteral("hicolor/%1x%1/apps").arg(pixels));
        if (!QDir().mkpath(dir) || !png(pixels).save(dir + QStringLiteral("/varcel.png"))) {
            std::fprintf(stderr, "make_icons: cannot write the %d-pixel icon\n", pixels);
            return 1;
        }
    }
    return 0;
}
