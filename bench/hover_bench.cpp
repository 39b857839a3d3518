// What a hover costs: redrawing one drop-down box in its "over" image into
// the window canvas, with the skin's images decoded once and kept, against
// decoding the PNG from disk on every draw.
//
//   hover_bench SKIN_FOLDER [ROUNDS]
#include "ui/layout.h"
#include "ui/skin.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <chrono>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: hover_bench SKIN_FOLDER [ROUNDS]\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 2000;
    const QString folder = QString::fromLocal8Bit(argv[1]);
    using namespace varcel::ui;
    const Rect box = rect(dropdownBox(2));
    QImage canvas(folder + "/main.png");
    canvas = canvas.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (canvas.isNull()) {
        std::fprintf(stderr, "hover_bench: no main.png in %s\n", argv[1]);
        return 1;
    }
    using Clock = std::chrono::steady_clock;
    auto perDraw = [&](auto draw) {
        const auto start = Clock::now();
        for (int i = 0; i < rounds; ++i) {
            QPainter painter(&canvas);
            draw(painter, i % 2 == 0 ? QStringLiteral("DropdownBox-over.png") : QStringLiteral("DropdownBox-normal.png"));
        }
        return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / rounds;
    };
    const double decoding = perDraw([&](QPainter& painter, const QString& name) {
        QImage image(folder + "/" + name);
        painter.drawImage(box.x, box.y, image.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    });
    Skin skin;
    skin.setFolder(folder.toStdString());
    const double cached = perDraw([&](QPainter& painter, const QString& name) { skin.drawImage(painter, name, box.x, box.y); });
    std::printf("hover redraw of one drop-down box, %d rounds:\n", rounds);
    std::printf("  decoding the PNG on every draw: %.1f us\n", decoding);
    std::printf("  decoded once and kept:          %.1f us\n", cached);
    return 0;
}
