// Paints every image of a skin folder from the window's layout table, so each
// drawn element sits exactly where its click rectangle is.
//
//   make_skin_art SKINS_DIR                  write every skin into SKINS_DIR/<name>/,
//                                            each image also at twice the size
//                                            ("<image>@2x.png") for screens at
//                                            150 % and 200 %
//   make_skin_art --preview OUT.png SKIN PAGE
//                                            compose a page (key, advanced or
//                                            dialogs) from the written images of
//                                            SKINS_DIR/SKIN with sample English
//                                            texts, as the window will draw it
//                                            (SKINS_DIR from --skins, default ./Skins)
//
// The images carry no words: titles, labels and button texts are drawn by the
// program in the user's language. Only digits appear (the mouse's button
// markers), which read the same in every language.
#include "ui/layout.h"

#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace varcel::ui;

// ---- Skins ------------------------------------------------------------------

struct Palette {
    const char* name;
    QColor windowTop, windowBottom;  // page background gradient
    QColor headerTop, headerBottom;  // header band (the title is drawn white on it)
    QColor headerIcon, headerIconOver, headerHover;
    QColor panelTop, panelBottom, panelBorder, panelHighlight;
    QColor field, fieldBorder;       // recessed faces, tracks
    QColor accent, accentDeep;       // the skin's one accent colour
    QColor buttonTop, buttonBottom, buttonBorder;
    QColor overTop, overBottom, overBorder;
    QColor segmentOff;
    QColor glyph;                    // chevrons and small marks
    QColor mouseBody, mouseEdge, mouseShade;
    QColor closeHover;
    QColor text;                     // suggested text colour for this skin
    QColor list;                     // open lists
    QColor hover;                    // the row under the pointer in a list
    QColor hint;                     // placeholders, disabled texts
};

const Palette kSkins[] = {
    {
        "Dark",
        QColor(0x16, 0x18, 0x1d), QColor(0x0c, 0x0d, 0x10),
        QColor(0x1e, 0x21, 0x28), QColor(0x12, 0x14, 0x18),
        QColor(0xa9, 0xb1, 0xbd), QColor(0xff, 0xff, 0xff), QColor(0x2a, 0x2f, 0x38),
        QColor(0x1b, 0x1e, 0x24), QColor(0x15, 0x17, 0x1c), QColor(0x2b, 0x30, 0x39), QColor(255, 255, 255, 14),
        QColor(0x0e, 0x10, 0x13), QColor(0x30, 0x36, 0x40),
        QColor(0x22, 0xd3, 0xee), QColor(0x08, 0x91, 0xb2),
        QColor(0x2a, 0x2f, 0x38), QColor(0x1f, 0x23, 0x2a), QColor(0x3a, 0x41, 0x4c),
        QColor(0x0e, 0x74, 0x90), QColor(0x15, 0x5e, 0x75), QColor(0x22, 0xd3, 0xee),
        QColor(0x26, 0x2b, 0x33),
        QColor(0x8b, 0x95, 0xa3),
        QColor(0x22, 0x26, 0x2d), QColor(0x3b, 0x42, 0x4e), QColor(0x16, 0x19, 0x1e),
        QColor(0xe5, 0x48, 0x4d),
        QColor(0xe6, 0xed, 0xf3),
        QColor(0x1b, 0x1e, 0x24), QColor(0x0e, 0x74, 0x90), QColor(0x8b, 0x95, 0xa3),
    },
    {
        "Light",
        QColor(0xf4, 0xf6, 0xf9), QColor(0xe6, 0xea, 0xf0),
        QColor(0x25, 0x63, 0xeb), QColor(0x1d, 0x4e, 0xd8),
        QColor(0xdb, 0xe7, 0xff), QColor(0xff, 0xff, 0xff), QColor(255, 255, 255, 46),
        QColor(0xff, 0xff, 0xff), QColor(0xfa, 0xfb, 0xfd), QColor(0xd5, 0xdb, 0xe4), QColor(255, 255, 255, 0),
        QColor(0xee, 0xf1, 0xf5), QColor(0xc9, 0xd1, 0xdc),
        QColor(0x25, 0x63, 0xeb), QColor(0x1d, 0x4e, 0xd8),
        QColor(0xff, 0xff, 0xff), QColor(0xf1, 0xf4, 0xf8), QColor(0xc3, 0xcb, 0xd6),
        // The chosen one of a pair and the unlit segments must stand out on
        // white, not be a faint tint of it.
        QColor(0xbf, 0xd7, 0xfe), QColor(0x93, 0xc0, 0xfb), QColor(0x1d, 0x4e, 0xd8),
        QColor(0xb4, 0xbe, 0xcc),
        QColor(0x64, 0x70, 0x80),
        QColor(0x3a, 0x40, 0x4a), QColor(0x5a, 0x62, 0x6e), QColor(0x26, 0x2a, 0x31),
        QColor(0xe5, 0x48, 0x4d),
        QColor(0x1f, 0x29, 0x37),
        QColor(0xff, 0xff, 0xff), QColor(0x25, 0x63, 0xeb), QColor(0x6b, 0x72, 0x80),
    },
};

QRectF rf(const Rect& r) { return QRectF(r.x, r.y, r.w, r.h); }
QRect ri(const Rect& r) { return QRect(r.x, r.y, r.w, r.h); }

// Device pixels per layout unit of the images being painted: 1, then 2.
int g_scale = 1;

// Painted in layout units whatever the scale: every shape is drawn from the
// same vectors at twice the pixels, not scaled up afterwards.
QImage blank(int w, int h)
{
    QImage img(w * g_scale, h * g_scale, QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(g_scale);
    img.fill(Qt::transparent);
    return img;
}

struct Painter : QPainter {
    explicit Painter(QImage* img) : QPainter(img)
    {
        setRenderHint(QPainter::Antialiasing);
        setRenderHint(QPainter::TextAntialiasing);
        setRenderHint(QPainter::SmoothPixmapTransform);
    }
};

QLinearGradient vertical(const QRectF& r, const QColor& top, const QColor& bottom)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    return g;
}

QColor alpha(QColor c, int a)
{
    c.setAlpha(a);
    return c;
}

// A rounded rectangle whose 1-pixel border sits on the pixel grid.
void roundedBox(QPainter& p, const QRectF& r, qreal radius, const QBrush& fill, const QColor& border)
{
    const QRectF in = r.adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(border.alpha() ? QPen(border, 1) : Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(in, radius, radius);
}

void chevronDown(QPainter& p, QPointF centre, qreal size, const QColor& c, qreal width = 1.6)
{
    QPainterPath path;
    path.moveTo(centre.x() - size, centre.y() - size / 2);
    path.lineTo(centre.x(), centre.y() + size / 2);
    path.lineTo(centre.x() + size, centre.y() - size / 2);
    p.setPen(QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

// ---- Small pieces -----------------------------------------------------------

// A recessed face: fields, lists, tracks.
void well(QPainter& p, const Palette& s, const QRectF& r, qreal radius = 4)
{
    roundedBox(p, r, radius, s.field, s.fieldBorder);
}

void panel(QPainter& p, const Palette& s, const Rect& r)
{
    const QRectF q = rf(r);
    roundedBox(p, q, 8, vertical(q, s.panelTop, s.panelBottom), s.panelBorder);
    if (s.panelHighlight.alpha()) {
        p.setPen(QPen(s.panelHighlight, 1));
        p.drawLine(QPointF(q.left() + 8, q.top() + 1.5), QPointF(q.right() - 8, q.top() + 1.5));
    }
}

// The accent tick that leads each section caption.
void captionMark(QPainter& p, const Palette& s, Caption c)
{
    const Rect r = caption(c).spot.rect;
    const QRectF bar(r.x - 9, r.y + 3, 3, r.h - 6);
    p.setPen(Qt::NoPen);
    p.setBrush(s.accent);
    p.drawRoundedRect(bar, 1.5, 1.5);
}

void windowFrame(QPainter& p, const Palette& s, bool withFooter)
{
    const QRectF all(0, 0, kWindowWidth, kWindowHeight);
    p.fillRect(all, vertical(all, s.windowTop, s.windowBottom));

    const QRectF head = rf(kHeaderBand);
    p.fillRect(head, vertical(head, s.headerTop, s.headerBottom));
    // A thin accent line under the header, brightest in the middle.
    QLinearGradient line(0, 0, kWindowWidth, 0);
    line.setColorAt(0, alpha(s.accent, 0));
    line.setColorAt(0.5, alpha(s.accent, 220));
    line.setColorAt(1, alpha(s.accent, 0));
    p.fillRect(QRectF(0, head.bottom() - 2, kWindowWidth, 2), line);

    if (withFooter) {
        p.setPen(QPen(alpha(s.panelBorder, 160), 1));
        p.drawLine(QPointF(10, kFooterBand.y + 0.5), QPointF(kWindowWidth - 10, kFooterBand.y + 0.5));
    }
    p.setPen(QPen(s.panelBorder, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(all.adjusted(0.5, 0.5, -0.5, -0.5));
}

// ---- The mouse ----------------------------------------------------------------

void drawMouse(QPainter& p, const Palette& s, const QFont& digits)
{
    // Leader lines from each button's spot to its box run under the body and
    // the markers, so they appear to come out of the button itself.
    for (int b = 0; b < kDropdownBoxes; ++b) {
        const Point spot = mouseButtonSpot(b);
        const Rect box = rect(dropdownBox(b));
        const qreal y = box.y + box.h / 2.0;
        QPainterPath path;
        path.moveTo(spot.x, spot.y);
        path.lineTo(172, y);
        path.lineTo(box.x - 1, y);
        p.setPen(QPen(alpha(s.accent, 150), 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
        p.setPen(Qt::NoPen);
        p.setBrush(s.accent);
        p.drawEllipse(QPointF(box.x - 3, y), 2.2, 2.2);
    }

    const qreal cx = 98;
    QPainterPath body;
    body.moveTo(cx, 126);
    body.cubicTo(cx + 40, 126, cx + 54, 150, cx + 56, 200);
    body.cubicTo(cx + 58, 260, cx + 62, 320, cx + 54, 360);
    body.cubicTo(cx + 46, 398, cx + 24, 410, cx, 410);
    body.cubicTo(cx - 24, 410, cx - 46, 398, cx - 54, 360);
    body.cubicTo(cx - 62, 320, cx - 58, 260, cx - 56, 200);
    body.cubicTo(cx - 54, 150, cx - 40, 126, cx, 126);

    // Soft shadow, then the shell with a light from the upper left.
    p.setPen(Qt::NoPen);
    for (int i = 6; i >= 1; --i) {
        p.setBrush(QColor(0, 0, 0, 10));
        p.drawPath(body.translated(0, i));
    }
    QRadialGradient shell(QPointF(cx - 20, 220), 190);
    shell.setColorAt(0, s.mouseEdge);
    shell.setColorAt(0.55, s.mouseBody);
    shell.setColorAt(1, s.mouseShade);
    p.setBrush(shell);
    p.setPen(QPen(s.mouseEdge, 1.2));
    p.drawPath(body);

    // Button split and the line where the buttons end.
    p.setPen(QPen(s.mouseShade, 2));
    p.drawLine(QPointF(cx, 128), QPointF(cx, 236));
    QPainterPath rim;
    rim.moveTo(cx - 56, 226);
    rim.quadTo(cx, 252, cx + 56, 226);
    p.setBrush(Qt::NoBrush);
    p.drawPath(rim);
    p.setPen(QPen(alpha(s.mouseEdge, 160), 1));
    p.drawLine(QPointF(cx + 1.5, 130), QPointF(cx + 1.5, 236));

    // Wheel with ridges, and the DPI button behind it.
    const QRectF wheel(cx - 7, 146, 14, 42);
    p.setPen(QPen(s.mouseShade, 1.5));
    p.setBrush(vertical(wheel, s.mouseEdge, s.mouseShade));
    p.drawRoundedRect(wheel, 6, 6);
    p.setPen(QPen(alpha(s.mouseBody, 200), 1));
    for (qreal y = wheel.top() + 6; y < wheel.bottom() - 4; y += 4)
        p.drawLine(QPointF(wheel.left() + 3, y), QPointF(wheel.right() - 3, y));
    p.setPen(QPen(s.mouseShade, 1.2));
    p.setBrush(s.mouseEdge);
    p.drawRoundedRect(QRectF(cx - 5, 204, 10, 22), 4, 4);

    // Thumb buttons on the left flank.
    p.setBrush(vertical(QRectF(0, 254, 1, 80), s.mouseEdge, s.mouseBody));
    p.setPen(QPen(s.mouseShade, 1.2));
    QPainterPath thumb1;
    thumb1.addRoundedRect(QRectF(cx - 60, 254, 14, 38), 6, 6);
    QPainterPath thumb2;
    thumb2.addRoundedRect(QRectF(cx - 61, 296, 14, 36), 6, 6);
    p.drawPath(thumb1);
    p.drawPath(thumb2);

    // The light strip round the tail and the glowing logo spot.
    QPainterPath strip;
    strip.moveTo(cx - 50, 352);
    strip.cubicTo(cx - 40, 396, cx + 40, 396, cx + 50, 352);
    for (int i = 3; i >= 1; --i) {
        p.setPen(QPen(alpha(s.accent, 40), 2.0 + i * 3, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(strip);
    }
    p.setPen(QPen(s.accent, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(strip);
    QRadialGradient glow(QPointF(cx, 322), 16);
    glow.setColorAt(0, alpha(s.accent, 200));
    glow.setColorAt(1, alpha(s.accent, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(QPointF(cx, 322), 16, 16);
    p.setBrush(s.accent);
    QPainterPath logo;
    logo.moveTo(cx - 6, 316);
    logo.lineTo(cx, 328);
    logo.lineTo(cx + 6, 316);
    p.setPen(QPen(QColor(255, 255, 255, 230), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(logo);

    // Numbered markers on the buttons.
    p.setFont(digits);
    for (int b = 0; b < kDropdownBoxes; ++b) {
        const Point spot = mouseButtonSpot(b);
        const QRectF badge(spot.x - 7, spot.y - 7, 14, 14);
        p.setPen(QPen(QColor(255, 255, 255, 200), 1));
        p.setBrush(s.accentDeep);
        p.drawEllipse(badge);
        p.setPen(Qt::white);
        p.drawText(badge.adjusted(0, 0, 0.5, 0.5), Qt::AlignCenter, QString::number(b + 1));
    }
}

// ---- Page backgrounds -------------------------------------------------------

void dropFace(QPainter& p, const Palette& s, const Rect& r)
{
    well(p, s, rf(r));
    chevronDown(p, QPointF(r.right() - 11, r.y + r.h / 2.0 + 0.5), 3.5, s.glyph);
}

// The key page's background with DPI tracks and scale ticks for `dpiRows` rows.
QImage keyPage(const Palette& s, const QFont& digits, int dpiRows)
{
    QImage img = blank(kWindowWidth, kWindowHeight);
    Painter p(&img);
    windowFrame(p, s, true);
    for (const Rect& r : panels(Page::Key))
        panel(p, s, r);
    for (Caption c : {Caption::KeySetting, Caption::ReportRateSetting, Caption::DpiSetting, Caption::RgbEffect,
                      Caption::LoopColorSetting, Caption::DpiSelfColorSetting})
        captionMark(p, s, c);

    // Faint grid behind the mouse, a hint of a mouse pad.
    const QRectF pad = rf(kMouseArea);
    QRadialGradient padGlow(pad.center(), pad.height() / 1.6);
    padGlow.setColorAt(0, alpha(s.accent, 26));
    padGlow.setColorAt(1, alpha(s.accent, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(padGlow);
    p.drawEllipse(pad.center(), pad.width() / 1.1, pad.height() / 1.9);
    drawMouse(p, s, digits);

    // Report rate: one groove under the four segments.
    const Rect first = rect(Element::ReportRate125);
    const Rect last = rect(Element::ReportRate1000);
    well(p, s, QRectF(first.x - 3, first.y - 3, last.right() - first.x + 6, first.h + 6), (first.h + 6) / 2.0);

    // DPI: a groove per stage, with a tick for each row on the scale side.
    for (int st = 0; st < kDpiStages; ++st) {
        const Rect top = rect(dpiBarSegment(st, dpiRows - 1));
        const Rect bottom = rect(dpiBarSegment(st, 0));
        well(p, s, QRectF(top.x - 3, top.y - 3, top.w + 6, bottom.bottom() - top.y + 6), 5);
        dropFace(p, s, rect(dpiStageList(st)));
    }
    p.setPen(QPen(alpha(s.glyph, 120), 1));
    for (int row = 0; row < dpiRows; ++row) {
        const TextSpot t = dpiScaleLabel(row);
        const qreal y = t.rect.y + t.rect.h / 2.0;
        p.drawLine(QPointF(t.rect.right() + 2, y), QPointF(t.rect.right() + 6, y));
    }

    // Lighting: dividers between its three blocks, and frames round the swatches.
    const Rect light = panels(Page::Key)[2];
    p.setPen(QPen(s.panelBorder, 1));
    for (Caption c : {Caption::LoopColorSetting, Caption::DpiSelfColorSetting}) {
        const qreal x = caption(c).spot.rect.x - 18.5;
        p.drawLine(QPointF(x, light.y + 14), QPointF(x, light.bottom() - 14));
    }
    for (int c = 0; c < kLoopColours; ++c) {
        const Rect sw = rect(loopColourSwatch(c));
        roundedBox(p, QRectF(sw.x - 3, sw.y - 3, sw.w + 6, sw.h + 6), 4, s.field, s.fieldBorder);
    }
    p.end();
    return img;
}

QImage advancedPage(const Palette& s)
{
    QImage img = blank(kWindowWidth, kWindowHeight);
    Painter p(&img);
    windowFrame(p, s, true);
    for (const Rect& r : panels(Page::Advanced))
        panel(p, s, r);
    for (Caption c : {Caption::PointerSetting, Caption::MacroSetting})
        captionMark(p, s, c);

    for (int sl = 0; sl < kPointerSliders; ++sl) {
        const Rect a = rect(pointerSegment(sl, 0));
        const Rect b = rect(pointerSegment(sl, kPointerSteps - 1));
        well(p, s, QRectF(a.x - 3, a.y - 3, b.right() - a.x + 6, a.h + 6), (a.h + 6) / 2.0);
    }
    // Thin separators between the pointer settings.
    const Rect pointer = panels(Page::Advanced)[0];
    p.setPen(QPen(alpha(s.panelBorder, 200), 1));
    for (int y : {caption(Caption::ScrollingSpeed).spot.rect.y - 20, caption(Caption::DoubleClickSpeed).spot.rect.y - 20,
                  rect(Element::PrecisionBox).y - 20, rect(Element::PointerDefault).y - 24})
        p.drawLine(QPointF(pointer.x + 16, y + 0.5), QPointF(pointer.right() - 16, y + 0.5));

    for (Element e : {Element::MacroList, Element::EventList, Element::MacroNameEdit, Element::LoopEdit})
        well(p, s, rf(rect(e)));
    dropFace(p, s, rect(Element::InsertFace));
    const Rect macro = panels(Page::Advanced)[1];
    p.setPen(QPen(alpha(s.panelBorder, 200), 1));
    for (Caption c : {Caption::RecordOption}) {
        const qreal ly = caption(c).spot.rect.y - 10.5;
        p.drawLine(QPointF(macro.x + 16, ly), QPointF(macro.right() - 16, ly));
    }
    const qreal ly = rect(Element::MacroNew).y - 14.5;
    p.drawLine(QPointF(macro.x + 16, ly), QPointF(macro.right() - 16, ly));
    p.end();
    return img;
}

// ---- Buttons ----------------------------------------------------------------

using Glyph = std::function<void(QPainter&, const QRectF&, const QColor&)>;

QImage headerButton(const Palette& s, int size, bool over, const QColor& hover, const Glyph& glyph)
{
    QImage img = blank(size, size);
    Painter p(&img);
    const QRectF r(0, 0, size, size);
    if (over)
        roundedBox(p, r, size / 4.0, hover, QColor(0, 0, 0, 0));
    glyph(p, r, over ? s.headerIconOver : s.headerIcon);
    p.end();
    return img;
}

void glyphMinimise(QPainter& p, const QRectF& r, const QColor& c)
{
    p.setPen(QPen(c, 1.6, Qt::SolidLine, Qt::RoundCap));
    const qreal y = r.center().y() + 0.5;
    p.drawLine(QPointF(r.left() + 5, y), QPointF(r.right() - 5, y));
}

void glyphClose(QPainter& p, const QRectF& r, const QColor& c)
{
    p.setPen(QPen(c, 1.6, Qt::SolidLine, Qt::RoundCap));
    const qreal m = 5;
    p.drawLine(r.topLeft() + QPointF(m, m), r.bottomRight() - QPointF(m, m));
    p.drawLine(QPointF(r.right() - m, r.top() + m), QPointF(r.left() + m, r.bottom() - m));
}

// A painter's palette: the skin chooser.
void glyphSkins(QPainter& p, const QRectF& r, const QColor& c)
{
    const QRectF o = r.adjusted(3, 3, -3, -3);
    QPainterPath shape;
    shape.addEllipse(o);
    QPainterPath notch;
    notch.addEllipse(QRectF(o.center().x() + 0.5, o.center().y() + 1, o.width() / 2.6, o.height() / 2.6));
    p.setPen(QPen(c, 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape.subtracted(notch));
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    const qreal d = 1.4;
    p.drawEllipse(QPointF(o.left() + 3.4, o.center().y() - 0.5), d, d);
    p.drawEllipse(QPointF(o.center().x() - 1.2, o.top() + 3.0), d, d);
    p.drawEllipse(QPointF(o.right() - 3.0, o.top() + 4.2), d, d);
}

// Page 1: the mouse and its buttons.
void glyphKeys(QPainter& p, const QRectF& r, const QColor& c)
{
    const QRectF m(r.center().x() - 7, r.center().y() - 11, 14, 22);
    p.setPen(QPen(c, 1.8));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(m, 7, 7);
    p.drawLine(QPointF(m.center().x(), m.top() + 1), QPointF(m.center().x(), m.top() + 8));
    p.drawLine(QPointF(m.left() + 1, m.top() + 9), QPointF(m.right() - 1, m.top() + 9));
}

// Page 2: three sliders.
void glyphAdvanced(QPainter& p, const QRectF& r, const QColor& c)
{
    const qreal x0 = r.center().x() - 10;
    const qreal x1 = r.center().x() + 10;
    const qreal knobs[3] = {4, -5, 1};
    for (int i = 0; i < 3; ++i) {
        const qreal y = r.center().y() - 7 + i * 7;
        p.setPen(QPen(c, 1.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(x0, y), QPointF(x1, y));
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawEllipse(QPointF(r.center().x() + knobs[i], y), 2.6, 2.6);
    }
}

QImage pageButton(const Palette& s, bool over, const Glyph& glyph)
{
    QImage img = blank(kPageButtonSize, kPageButtonSize);
    Painter p(&img);
    const QRectF r(0, 0, kPageButtonSize, kPageButtonSize);
    if (over) {
        // The accent ring, or a white one where the header is the accent's
        // own colour (the light skin): the lit button must not look fainter
        // than the others.
        const bool accentHeader = std::abs(s.accent.hue() - s.headerTop.hue()) < 20 &&
                                  std::abs(s.accent.lightness() - s.headerTop.lightness()) < 40;
        const QColor ring = accentHeader ? s.headerIconOver : s.accent;
        roundedBox(p, r.adjusted(1, 1, -1, -1), 9, alpha(ring, accentHeader ? 70 : 46), ring);
        glyph(p, r, s.headerIconOver);
    } else {
        roundedBox(p, r.adjusted(1, 1, -1, -1), 9, s.headerHover, alpha(s.headerIcon, 60));
        glyph(p, r, s.headerIcon);
    }
    p.end();
    return img;
}

QImage textButton(const Palette& s, bool over)
{
    QImage img = blank(kButtonWidth, kButtonHeight);
    Painter p(&img);
    const QRectF r(0, 0, kButtonWidth, kButtonHeight);
    if (over)
        roundedBox(p, r, 5, vertical(r, s.overTop, s.overBottom), s.overBorder);
    else
        roundedBox(p, r, 5, vertical(r, s.buttonTop, s.buttonBottom), s.buttonBorder);
    p.setPen(QPen(QColor(255, 255, 255, over ? 40 : 22), 1));
    p.drawLine(QPointF(5, 1.5), QPointF(kButtonWidth - 5, 1.5));
    p.end();
    return img;
}

QImage slotBox(const Palette& s, bool over)
{
    QImage img = blank(kDropdownWidth, kDropdownHeight);
    Painter p(&img);
    const QRectF r(0, 0, kDropdownWidth, kDropdownHeight);
    roundedBox(p, r, 5, vertical(r, s.buttonTop, s.buttonBottom), over ? s.accent : s.buttonBorder);
    // The number column, tinted with the accent.
    QPainterPath col;
    col.addRoundedRect(r.adjusted(1, 1, 0, -1), 4.5, 4.5);
    QPainterPath cut;
    cut.addRect(QRectF(0, 0, kDropdownNumberWidth, kDropdownHeight));
    p.setPen(Qt::NoPen);
    p.setBrush(alpha(s.accent, over ? 90 : 46));
    p.drawPath(col.intersected(cut));
    p.setPen(QPen(over ? s.accent : s.buttonBorder, 1));
    p.drawLine(QPointF(kDropdownNumberWidth + 0.5, 1), QPointF(kDropdownNumberWidth + 0.5, kDropdownHeight - 1));
    chevronDown(p, QPointF(kDropdownWidth - 13, kDropdownHeight / 2.0 + 0.5), 4, over ? s.accent : s.glyph);
    p.end();
    return img;
}

QImage selectorBox(const Palette& s)
{
    QImage img = blank(kSelectorWidth, kSelectorHeight);
    Painter p(&img);
    const QRectF r(0, 0, kSelectorWidth, kSelectorHeight);
    roundedBox(p, r, 4, vertical(r, s.buttonTop, s.buttonBottom), s.buttonBorder);
    p.setPen(QPen(s.buttonBorder, 1));
    const qreal x = kSelectorWidth - 22.5;
    p.drawLine(QPointF(x, 4), QPointF(x, kSelectorHeight - 4));
    chevronDown(p, QPointF(kSelectorWidth - 11, kSelectorHeight / 2.0 + 0.5), 3.5, s.glyph);
    p.end();
    return img;
}

// A lit or unlit segment of a slider.
QImage segment(const Palette& s, int w, int h, bool lit)
{
    QImage img = blank(w, h);
    Painter p(&img);
    const QRectF r(0, 0, w, h);
    const qreal radius = h / 2.0 - 1;
    if (lit) {
        QLinearGradient g(r.topLeft(), r.bottomLeft());
        g.setColorAt(0, s.accent.lighter(115));
        g.setColorAt(1, s.accentDeep);
        roundedBox(p, r, radius, g, s.accentDeep);
        p.setPen(QPen(QColor(255, 255, 255, 90), 1));
        p.drawLine(QPointF(radius, 1.5), QPointF(w - radius, 1.5));
    } else {
        roundedBox(p, r, radius, s.segmentOff, s.segmentOff.darker(125));
    }
    p.end();
    return img;
}

QImage checkBoxImage(const Palette& s, bool ticked)
{
    QImage img = blank(kCheckBoxSize, kCheckBoxSize);
    Painter p(&img);
    const QRectF r(0, 0, kCheckBoxSize, kCheckBoxSize);
    if (ticked) {
        roundedBox(p, r, 4, vertical(r, s.accent, s.accentDeep), s.accentDeep);
        QPainterPath tick;
        tick.moveTo(4, 8.5);
        tick.lineTo(7, 11.5);
        tick.lineTo(12.2, 5);
        p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(tick);
    } else {
        roundedBox(p, r, 4, s.field, s.glyph);
    }
    p.end();
    return img;
}

// A round option box, one choice of several.
QImage radioImage(const Palette& s, bool chosen)
{
    QImage img = blank(kCheckBoxSize, kCheckBoxSize);
    Painter p(&img);
    const QRectF r = QRectF(0, 0, kCheckBoxSize, kCheckBoxSize).adjusted(0.75, 0.75, -0.75, -0.75);
    p.setPen(QPen(chosen ? s.accentDeep : s.glyph, 1.5));
    p.setBrush(s.field);
    p.drawEllipse(r);
    if (chosen) {
        p.setPen(Qt::NoPen);
        p.setBrush(s.accent);
        p.drawEllipse(r.center(), 4, 4);
    }
    p.end();
    return img;
}

// ---- Dialogs ----------------------------------------------------------------

void dialogIcon(QPainter& p, Dialog d, const QRectF& r, const QColor& c)
{
    p.setPen(QPen(c, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    const QPointF m = r.center();
    switch (d) {
    case Dialog::SingleKey:
        p.drawRoundedRect(QRectF(m.x() - 7, m.y() - 7, 14, 14), 3, 3);
        p.drawLine(QPointF(m.x() - 3, m.y() + 3), QPointF(m.x() + 3, m.y() + 3));
        break;
    case Dialog::ComboKey:
        p.drawRoundedRect(QRectF(m.x() - 10, m.y() - 6, 9, 12), 2.5, 2.5);
        p.drawRoundedRect(QRectF(m.x() + 1, m.y() - 6, 9, 12), 2.5, 2.5);
        break;
    case Dialog::MediaKey: {
        QPainterPath play;
        play.moveTo(m.x() - 4, m.y() - 6);
        play.lineTo(m.x() + 6, m.y());
        play.lineTo(m.x() - 4, m.y() + 6);
        play.closeSubpath();
        p.drawPath(play);
        break;
    }
    case Dialog::WindowsKey:
        for (int i = 0; i < 4; ++i)
            p.drawRect(QRectF(m.x() - 7 + (i % 2) * 8, m.y() - 7 + (i / 2) * 8, 6, 6));
        break;
    case Dialog::FireKey: {
        QPainterPath bolt;
        bolt.moveTo(m.x() + 2, m.y() - 8);
        bolt.lineTo(m.x() - 5, m.y() + 1);
        bolt.lineTo(m.x(), m.y() + 1);
        bolt.lineTo(m.x() - 2, m.y() + 8);
        bolt.lineTo(m.x() + 5, m.y() - 1);
        bolt.lineTo(m.x(), m.y() - 1);
        bolt.closeSubpath();
        p.drawPath(bolt);
        break;
    }
    case Dialog::DelayTime:
        p.drawEllipse(m, 7.5, 7.5);
        p.drawLine(m, m + QPointF(0, -5));
        p.drawLine(m, m + QPointF(4, 2));
        break;
    case Dialog::MacroKey:
        p.drawEllipse(m, 7.5, 7.5);
        p.setBrush(c);
        p.drawEllipse(m, 3, 3);
        break;
    case Dialog::Skins:
        glyphSkins(p, r.adjusted(-2, -2, 2, 2), c);
        break;
    case Dialog::Count:
        break;
    }
}

QImage dialogBackground(const Palette& s, Dialog which)
{
    const DialogLayout& d = dialogLayout(which);
    QImage img = blank(d.width, d.height);
    Painter p(&img);
    const QRectF all(0, 0, d.width, d.height);
    p.fillRect(all, vertical(all, s.panelTop, s.windowBottom));
    const QRectF head(0, 0, d.width, kDialogHeaderHeight);
    p.fillRect(head, vertical(head, s.headerTop, s.headerBottom));
    QLinearGradient line(0, 0, d.width, 0);
    line.setColorAt(0, alpha(s.accent, 0));
    line.setColorAt(0.5, alpha(s.accent, 220));
    line.setColorAt(1, alpha(s.accent, 0));
    p.fillRect(QRectF(0, head.bottom() - 2, d.width, 2), line);
    dialogIcon(p, which, QRectF(10, 9, 20, 20), s.headerIcon);

    if (!d.face.empty())
        dropFace(p, s, d.face);
    for (const Rect& f : d.fields)
        if (!f.empty())
            well(p, s, rf(f).adjusted(-2, -2, 2, 2));
    if (!d.note.empty())
        well(p, s, rf(d.note), 6);
    if (!d.swatch.empty())
        roundedBox(p, rf(d.swatch).adjusted(-3, -3, 3, 3), 5, s.field, s.fieldBorder);

    p.setPen(QPen(alpha(s.panelBorder, 200), 1));
    const qreal y = d.ok.y - 12.5;
    p.drawLine(QPointF(12, y), QPointF(d.width - 12, y));
    p.setPen(QPen(s.panelBorder, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(all.adjusted(0.5, 0.5, -0.5, -0.5));
    p.end();
    return img;
}

// ---- Writing a skin ---------------------------------------------------------

bool save(const QImage& img, const QDir& dir, std::string_view file)
{
    QString name = QString::fromUtf8(file.data(), static_cast<qsizetype>(file.size()));
    if (g_scale > 1)
        name = name.chopped(4) + QStringLiteral("@%1x.png").arg(g_scale);
    const QString path = dir.filePath(name);
    if (!img.save(path, "PNG")) {
        std::fprintf(stderr, "make_skin_art: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

QFont uiFont(int pixels, bool bold = false)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

QImage imageFor(const Palette& s, std::string_view file)
{
    const QFont digits = uiFont(9, true);
    const auto is = [&](const char* n) { return file == n; };
    if (is("main.png")) {
        QImage img = blank(kWindowWidth, kWindowHeight);
        Painter p(&img);
        windowFrame(p, s, true);
        return img;
    }
    if (is("BasicSet2.png"))
        return keyPage(s, digits, kDpiShortList);
    if (is(kDpiUpperRowsImage)) {
        const Rect r = dpiUpperRowsRect();
        return keyPage(s, digits, kDpiBarSegments).copy(r.x * g_scale, r.y * g_scale, r.w * g_scale, r.h * g_scale);
    }
    if (is("AdvancedSet2.png"))
        return advancedPage(s);
    if (is("button-min-normal.png") || is("button-min-over.png"))
        return headerButton(s, kSmallButtonSize, is("button-min-over.png"), s.headerHover, glyphMinimise);
    if (is("button-close-normal.png") || is("button-close-over.png"))
        return headerButton(s, kSmallButtonSize, is("button-close-over.png"), s.closeHover, glyphClose);
    if (is("button-Skins-normal.png") || is("button-Skins-over.png"))
        return headerButton(s, kSmallButtonSize, is("button-Skins-over.png"), s.headerHover, glyphSkins);
    if (is("button-PrePage-normal.png") || is("button-PrePage-over.png"))
        return pageButton(s, is("button-PrePage-over.png"), glyphKeys);
    if (is("button-NextPage-normal.png") || is("button-NextPage-over.png"))
        return pageButton(s, is("button-NextPage-over.png"), glyphAdvanced);
    if (is("button-normal.png") || is("button-over.png"))
        return textButton(s, is("button-over.png"));
    if (is("DropdownBox-normal.png") || is("DropdownBox-over.png"))
        return slotBox(s, is("DropdownBox-over.png"));
    if (is("DropdownBox.png") || is("dropdownbox.png"))
        return selectorBox(s);
    if (is("slider-RP-light.png") || is("slider-RP-dark.png"))
        return segment(s, kReportRateSegmentWidth, kReportRateSegmentHeight, is("slider-RP-light.png"));
    if (is("slider-DPI-light.png") || is("slider-DPI-dark.png"))
        return segment(s, kDpiSegmentWidth, kDpiSegmentHeight, is("slider-DPI-light.png"));
    if (is("slider-light.png") || is("slider-dark.png"))
        return segment(s, kPointerSegmentWidth, kPointerSegmentHeight, is("slider-light.png"));
    if (is("Pane.png") || is("PaneMakingTick.png"))
        return checkBoxImage(s, is("PaneMakingTick.png"));
    if (is(kRadioImage) || is(kRadioChosenImage))
        return radioImage(s, is(kRadioChosenImage));
    for (int d = 0; d < static_cast<int>(Dialog::Count); ++d)
        if (file == dialogLayout(static_cast<Dialog>(d)).image)
            return dialogBackground(s, static_cast<Dialog>(d));
    return {};
}

bool writeSkin(const Palette& s, const QDir& root)
{
    const QString name = QString::fromLatin1(s.name);
    if (!root.mkpath(name)) {
        std::fprintf(stderr, "make_skin_art: cannot create %s\n", qPrintable(root.filePath(name)));
        return false;
    }
    const QDir dir(root.filePath(name));
    for (const int scale : {1, 2}) {
        g_scale = scale;
        for (const SkinImage& entry : skinImages()) {
            const QImage img = imageFor(s, entry.file);
            if (img.isNull() || img.width() != entry.width * scale || img.height() != entry.height * scale) {
                std::fprintf(stderr, "make_skin_art: no art of the right size for %.*s\n",
                             static_cast<int>(entry.file.size()), entry.file.data());
                return false;
            }
            if (!save(img, dir, entry.file))
                return false;
        }
    }
    g_scale = 1;
    // The text colour that reads well on this skin, for the skin dialog's
    // first suggestion.
    QFile ini(dir.filePath(QStringLiteral("skin.ini")));
    if (!ini.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    ini.write(QStringLiteral("[Skin]\nRColor=%1\nGColor=%2\nBColor=%3\n")
                  .arg(s.text.red())
                  .arg(s.text.green())
                  .arg(s.text.blue())
                  .toUtf8());
    // What the images do not draw: text fields and open lists.
    const std::pair<const char*, QColor> look[] = {
        {"Field", s.field},   {"FieldText", s.text},       {"FieldBorder", s.fieldBorder},
        {"List", s.list},     {"ListText", s.text},        {"ListBorder", s.buttonBorder},
        {"Hover", s.hover},   {"HoverText", Qt::white},    {"Accent", s.accent},
        {"Hint", s.hint},
    };
    ini.write("\n[Look]\n");
    for (const auto& [key, colour] : look)
        ini.write(QStringLiteral("%1=%2\n").arg(QLatin1String(key), colour.name()).toUtf8());
    return true;
}

// ---- Preview ----------------------------------------------------------------

struct Composer {
    QDir dir;
    QPainter& p;
    QColor text;

    void image(const char* file, const Rect& at)
    {
        const QImage img(dir.filePath(QString::fromLatin1(file)));
        p.drawImage(QPoint(at.x, at.y), img);
    }
    void label(const TextSpot& t, const QString& s, const QFont& f, const QColor& c)
    {
        p.setFont(f);
        p.setPen(c);
        const int align = (t.align == Align::Left ? Qt::AlignLeft : t.align == Align::Right ? Qt::AlignRight
                                                                                            : Qt::AlignHCenter) |
                          Qt::AlignVCenter;
        p.drawText(ri(t.rect), align, s);
    }
    void label(const TextSpot& t, const QString& s) { label(t, s, uiFont(12), text); }
    void button(Element e, const QString& s, bool over = false)
    {
        image(over ? "button-over.png" : "button-normal.png", rect(e));
        label({rect(e), Align::Centre}, s);
    }
    void caption(Caption c, const QString& s) { label(varcel::ui::caption(c).spot, s, uiFont(12, true), text); }
};

void previewCommon(Composer& c, const QString& title, bool overOk)
{
    c.image("button-Skins-normal.png", rect(Element::SkinButton));
    c.image("button-min-normal.png", rect(Element::MinimiseButton));
    c.image("button-close-over.png", rect(Element::CloseButton));
    c.image("button-PrePage-normal.png", rect(Element::Page1Button));
    c.image("button-NextPage-over.png", rect(Element::Page2Button));
    c.label(caption(Caption::PageTitle).spot, title, uiFont(20, true), Qt::white);
    c.button(Element::Ok, QStringLiteral("OK"), overOk);
    c.button(Element::Apply, QStringLiteral("Apply"));
    c.button(Element::Cancel, QStringLiteral("Cancel"));
}

void previewKey(Composer& c)
{
    c.image("BasicSet2.png", {0, 0, 0, 0});
    c.image(kDpiUpperRowsImage, dpiUpperRowsRect()); // the preview shows twelve DPI rows
    previewCommon(c, QStringLiteral("Basic Settings"), false);
    c.caption(Caption::KeySetting, QStringLiteral("Key Setting"));
    c.caption(Caption::ReportRateSetting, QStringLiteral("Report Rate Setting"));
    c.caption(Caption::DpiSetting, QStringLiteral("DPI Setting"));
    c.caption(Caption::RgbEffect, QStringLiteral("RGB Effect"));
    c.caption(Caption::LoopColorSetting, QStringLiteral("Loop Color Setting"));
    c.caption(Caption::DpiSelfColorSetting, QStringLiteral("DPI Self-Color LED Setting"));
    c.label(caption(Caption::LightingModeLabel).spot, QStringLiteral("Mode"));
    c.label(caption(Caption::LightingParameterLabel).spot, QStringLiteral("Parameter"));

    c.button(Element::ModeA, QStringLiteral("Mode A"), true);
    c.button(Element::ModeB, QStringLiteral("Mode B"));
    c.button(Element::KeyDefault, QStringLiteral("Default"));
    const char* labels[kDropdownBoxes] = {"Left Click", "Right Click", "Mid Click", "Macro Key-Greeting",
                                          "Backward", "DPI Loop"};
    for (int b = 0; b < kDropdownBoxes; ++b) {
        c.image(b == 2 ? "DropdownBox-over.png" : "DropdownBox-normal.png", rect(dropdownBox(b)));
        c.label(dropdownNumberRect(b), QString::number(b + 1));
        c.label(dropdownLabelRect(b), QString::fromLatin1(labels[b]));
    }
    const char* rates[kReportRatePositions] = {"125", "250", "500", "1000"};
    for (int r = 0; r < kReportRatePositions; ++r) {
        c.image(r == 3 ? "slider-RP-light.png" : "slider-RP-dark.png", rect(reportRateSegment(r)));
        c.label(reportRateLabel(r), QString::fromLatin1(rates[r]));
    }
    const char* dpi[kDpiBarSegments] = {"250", "500", "750", "1000", "1250", "1500",
                                        "1750", "2000", "2500", "3000", "3500", "4000"};
    for (int row = 0; row < kDpiBarSegments; ++row)
        c.label(dpiScaleLabel(row), QString::fromLatin1(dpi[row]), uiFont(10), c.text);
    const int stored[kDpiStages] = {3, 5, 7, 11};
    const bool enabled[kDpiStages] = {true, true, true, false};
    for (int st = 0; st < kDpiStages; ++st) {
        c.image(enabled[st] ? "PaneMakingTick.png" : "Pane.png", rect(dpiStageEnable(st)));
        c.label(dpiStageCaption(st), QStringLiteral("Stage %1").arg(st + 1), uiFont(11), c.text);
        c.label(dpiStageValue(st), QString::fromLatin1(dpi[stored[st]]));
        for (int k = 0; k < kDpiBarSegments; ++k)
            c.image(enabled[st] && k <= stored[st] ? "slider-DPI-light.png" : "slider-DPI-dark.png",
                    rect(dpiBarSegment(st, k)));
    }
    c.image("DropdownBox.png", rect(Element::LightingMode));
    c.label(selectorTextRect(Element::LightingMode), QStringLiteral("Respiration Mode"));
    c.image("DropdownBox.png", rect(Element::LightingParameter));
    c.label(selectorTextRect(Element::LightingParameter), QStringLiteral("6S"));
    const QColor loop[kLoopColours] = {QColor(255, 0, 0), QColor(255, 128, 0), QColor(255, 230, 0), QColor(0, 220, 70),
                                       QColor(0, 200, 255), QColor(40, 80, 255), QColor(160, 60, 255), QColor(255, 255, 255)};
    for (int i = 0; i < kLoopColours; ++i) {
        c.image(i == 7 ? "Pane.png" : "PaneMakingTick.png", rect(loopColourEnable(i)));
        c.p.fillRect(ri(rect(loopColourSwatch(i))), loop[i]);
    }
    c.image("DropdownBox.png", rect(Element::DpiColourStage));
    c.label(selectorTextRect(Element::DpiColourStage), QStringLiteral("DPI Stage1"));
    for (int b = 0; b < kDpiColourBits; ++b) {
        c.image(b % 2 == 0 ? "PaneMakingTick.png" : "Pane.png", rect(dpiColourBit(b)));
        c.label(dpiColourBitLabel(b), QString::number(b + 1));
    }
}

void previewAdvanced(Composer& c)
{
    c.image("AdvancedSet2.png", {0, 0, 0, 0});
    previewCommon(c, QStringLiteral("Advanced Settings"), true);
    c.caption(Caption::MouseSpeed, QStringLiteral("Mouse Speed"));
    c.caption(Caption::ScrollingSpeed, QStringLiteral("Scrolling Speed"));
    c.caption(Caption::DoubleClickSpeed, QStringLiteral("Double-Click Speed"));
    c.caption(Caption::MacroSetting, QStringLiteral("Macro Setting"));
    c.label(caption(Caption::SelectMacro).spot, QStringLiteral("Select Macro"));
    c.label(caption(Caption::KeyPressSequence).spot, QStringLiteral("Key Press Sequence"));
    c.label(caption(Caption::RecordOption).spot, QStringLiteral("Record Option"));
    c.label(caption(Caption::MacroName).spot, QStringLiteral("Macro Name"));
    c.label(caption(Caption::LoopTimes).spot, QStringLiteral("Loop Times"));
    c.label(caption(Caption::InsertMouseEvent).spot, QStringLiteral("Insert A Mouse Event"));
    c.label(caption(Caption::PrecisionLabel).spot, QStringLiteral("Enhance Pointer Precision"));
    c.label(caption(Caption::OneScreenLabel).spot, QStringLiteral("Scroll One Screen"));
    c.image("PaneMakingTick.png", rect(Element::PrecisionBox));
    c.image("Pane.png", rect(Element::OneScreenBox));
    const int positions[kPointerSliders] = {6, 3, 6};
    for (int sl = 0; sl < kPointerSliders; ++sl)
        for (int i = 0; i < kPointerSteps; ++i) {
            c.image(i < positions[sl] ? "slider-light.png" : "slider-dark.png", rect(pointerSegment(sl, i)));
            c.label(pointerStepLabel(sl, i), QString::number(i + 1), uiFont(10), c.text);
        }
    c.button(Element::PointerDefault, QStringLiteral("Default"), true);
    c.button(Element::StartRecording, QStringLiteral("Start Recording"));
    c.button(Element::StopRecording, QStringLiteral("Stop Recording"));
    c.button(Element::MacroNew, QStringLiteral("New"));
    c.button(Element::MacroDelete, QStringLiteral("Delete"));
    c.button(Element::MacroConfirm, QStringLiteral("Confirm"));
    // What the lists and fields will hold.
    const Rect list = rect(Element::MacroList);
    const char* macros[] = {"Greeting", "Build order", "Reload"};
    for (int i = 0; i < 3; ++i)
        c.label({{list.x + 8, list.y + 4 + i * kListRowHeight, list.w - 16, kListRowHeight}, Align::Left},
                QString::fromLatin1(macros[i]));
    const Rect events = rect(Element::EventList);
    const char* entries[] = {"H   Dn", "50 ms", "H   Up", "50 ms", "I   Dn", "50 ms", "I   Up"};
    for (int i = 0; i < 7; ++i)
        c.label({{events.x + 8, events.y + 4 + i * kListRowHeight, events.w - 16, kListRowHeight}, Align::Left},
                QString::fromLatin1(entries[i]));
    c.label({rect(Element::MacroNameEdit), Align::Centre}, QStringLiteral("Greeting"));
    c.label({rect(Element::LoopEdit), Align::Centre}, QStringLiteral("1"));
    c.label({rect(Element::InsertFace), Align::Centre}, QStringLiteral("L-Button Click"));
}

void previewDialogs(Composer& c, int sheetWidth)
{
    int x = 10;
    int y = 10;
    int rowHeight = 0;
    for (int i = 0; i < static_cast<int>(Dialog::Count); ++i) {
        const DialogLayout& d = dialogLayout(static_cast<Dialog>(i));
        if (x + d.width > sheetWidth - 10) {
            x = 10;
            y += rowHeight + 10;
            rowHeight = 0;
        }
        c.p.save();
        c.p.translate(x, y);
        c.image(std::string(d.image).c_str(), {0, 0, 0, 0});
        c.image("button-normal.png", d.ok);
        c.label({d.ok, Align::Centre}, QStringLiteral("OK"));
        c.image("button-over.png", d.cancel);
        c.label({d.cancel, Align::Centre}, QStringLiteral("Cancel"));
        c.image("button-close-normal.png", d.close);
        const char* prompts[] = {"Please enter a key", "", "", "", "", "Please enter a delay", "Please select a macro",
                                 "Please click to set the UI text color"};
        if (!d.prompt.rect.empty())
            c.label(d.prompt, QString::fromLatin1(prompts[i]), uiFont(12),
                    i == static_cast<int>(Dialog::SingleKey) ? QColor(Qt::white) : c.text);
        if (!d.hint.rect.empty())
            c.label(d.hint, QStringLiteral("(value range 50-10000)"));
        if (!d.face.empty())
            c.label({{d.face.x + 8, d.face.y, d.face.w - 30, d.face.h}, Align::Left}, QStringLiteral("Next"));
        for (const TextSpot& t : d.fieldCaptions)
            if (!t.rect.empty())
                c.label(t, i == static_cast<int>(Dialog::ComboKey) ? QStringLiteral("+") : QStringLiteral("Speed"));
        if (!d.note.empty())
            c.label({{d.note.x + 8, d.note.y + 6, d.note.w - 16, 20}, Align::Left}, QStringLiteral("Illustration:"));
        for (const Rect& f : d.fields)
            if (!f.empty())
                c.p.fillRect(ri(f), QColor(40, 40, 40));
        for (int o = 0; o < 3; ++o)
            if (!d.options[o].empty()) {
                c.image(o == 0 ? "PaneMakingTick.png" : "Pane.png", d.options[o]);
                c.label(d.optionTexts[o], QStringLiteral("Repeat until the key is released"));
            }
        if (!d.swatch.empty())
            c.p.fillRect(ri(d.swatch), c.text);
        c.p.restore();
        x += d.width + 10;
        rowHeight = std::max(rowHeight, d.height);
    }
}

int preview(const QDir& skinsRoot, const QString& out, const QString& skin, const QString& page)
{
    const QDir dir(skinsRoot.filePath(skin));
    QColor text(230, 237, 243);
    for (const Palette& s : kSkins)
        if (skin == QLatin1String(s.name))
            text = s.text;
    const bool dialogs = page == QLatin1String("dialogs");
    QImage img(kWindowWidth, dialogs ? 1140 : kWindowHeight, QImage::Format_ARGB32_Premultiplied);
    img.fill(QColor(128, 128, 128));
    {
        Painter p(&img);
        Composer c{dir, p, text};
        if (page == QLatin1String("key"))
            previewKey(c);
        else if (page == QLatin1String("advanced"))
            previewAdvanced(c);
        else if (dialogs)
            previewDialogs(c, kWindowWidth);
        else {
            std::fprintf(stderr, "make_skin_art: page is key, advanced or dialogs\n");
            return 2;
        }
    }
    if (!img.save(out, "PNG")) {
        std::fprintf(stderr, "make_skin_art: cannot write %s\n", qPrintable(out));
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    // Text and fonts need a GUI application, but never a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();

    if (args.size() >= 5 && args[1] == QLatin1String("--preview")) {
        QString root = QStringLiteral("Skins");
        const int at = static_cast<int>(args.indexOf(QStringLiteral("--skins")));
        if (at > 0 && at + 1 < args.size())
            root = args[at + 1];
        return preview(QDir(root), args[2], args[3], args[4]);
    }
    if (args.size() != 2 || args[1].startsWith(QLatin1Char('-'))) {
        std::fprintf(stderr, "usage: make_skin_art SKINS_DIR\n"
                             "       make_skin_art --preview OUT.png SKIN key|advanced|dialogs [--skins SKINS_DIR]\n");
        return 2;
    }
    const QDir root(args[1]);
    if (!root.mkpath(QStringLiteral(".")))
        return 1;
    for (const Palette& s : kSkins)
        if (!writeSkin(s, root))
            return 1;
    return 0;
}
