// Prints where a click lands, from the layout table, for the end-to-end
// scripts that drive the window with real X events:
//   layout_point box N              centre of drop-down box N (1 to 6)
//   layout_point function-row N R   row R of box N's function list
//   layout_point apply              centre of Apply
//   layout_point close              centre of the window's close button
//   layout_point dialog NAME PART   PART (ok, cancel, close) of dialog NAME
//                                   (single-key, combo-key, ...)
//   layout_point dialog-size NAME   the dialog's width and height
//   layout_point element NAME       centre of the element the layout names
//                                   NAME (MacroNew, StartRecording, ...)
#include "ui/layout.h"

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace varcel::ui;

namespace {

int centre(const Rect& r)
{
    std::printf("%d %d\n", r.x + r.w / 2, r.y + r.h / 2);
    return 0;
}

const DialogLayout* dialogNamed(const std::string& name)
{
    for (int i = 0; i < static_cast<int>(Dialog::Count); ++i) {
        const DialogLayout& d = dialogLayout(static_cast<Dialog>(i));
        if (std::string(d.image) == name + ".png")
            return &d;
    }
    return nullptr;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string what = argc > 1 ? argv[1] : "";
    if (what == "box" && argc == 3)
        return centre(rect(dropdownBox(std::atoi(argv[2]) - 1)));
    if (what == "function-row" && argc == 4) {
        const Rect list = functionListRect(std::atoi(argv[2]) - 1);
        const int row = std::atoi(argv[3]);
        return centre({list.x, list.y + 1 + row * kListRowHeight, list.w, kListRowHeight});
    }
    if (what == "element" && argc == 3) {
        for (int i = 0; i < kElementCount; ++i)
            if (name(static_cast<Element>(i)) == argv[2])
                return centre(rect(static_cast<Element>(i)));
        return 2;
    }
    if (what == "apply")
        return centre(rect(Element::Apply));
    if (what == "close")
        return centre(rect(Element::CloseButton));
    if ((what == "dialog" && argc == 4) || (what == "dialog-size" && argc == 3)) {
        const DialogLayout* d = dialogNamed(argv[2]);
        if (!d)
            return 2;
        if (what == "dialog-size") {
            std::printf("%d %d\n", d->width, d->height);
            return 0;
        }
        const std::string part = argv[3];
        if (part == "ok")
            return centre(d->ok);
        if (part == "cancel")
            return centre(d->cancel);
        if (part == "close")
            return centre(d->close);
    }
    std::fprintf(stderr, "usage: layout_point box N | function-row N ROW | apply | close | dialog NAME ok|cancel|close | "
                         "dialog-size NAME | element NAME\n");
    return 2;
}
