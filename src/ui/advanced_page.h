// The advanced page ("Advanced Settings"): the desktop's pointer settings and
// the macros, drawn from the working image.
#pragma once

#include "ui/window_page.h"

namespace varcel::ui {

class AdvancedPage : public WindowPage {
public:
    explicit AdvancedPage(CHidMouseDlg& window) : WindowPage(window) {}

    void draw(QPainter& painter) override;
    bool click(Element hit) override;
};

} // namespace varcel::ui
