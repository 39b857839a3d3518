// The hidden window's next frame, drawn ahead and kept out of the program's
// memory: in a file of the user's cache folder that no name points to, whose
// pages the kernel keeps in its page cache, shared with nothing and dropped
// (after writing them out) when it needs the memory. A click on the tray icon
// then shows the window by reading one picture back instead of decoding the
// skin and drawing the page.
#pragma once

#include <QImage>

namespace varcel::ui {

class FrameCache {
public:
    FrameCache() = default;
    ~FrameCache();
    FrameCache(const FrameCache&) = delete;
    FrameCache& operator=(const FrameCache&) = delete;

    // Keeps `frame` (premultiplied ARGB32) until it is taken or forgotten;
    // false when it could not be written (it is then not kept).
    bool keep(const QImage& frame);
    // The frame kept, when it has this size in pixels and this device pixel
    // ratio; a null image otherwise. Either way nothing is kept afterwards.
    QImage take(QSize pixels, qreal ratio);
    // What was drawn no longer shows what the window holds.
    void forget() { m_kept = false; }
    bool holds() const { return m_kept; }

private:
    int m_file = -1;
    bool m_kept = false;
    QSize m_pixels;
    qreal m_ratio = 1;
};

} // namespace varcel::ui
