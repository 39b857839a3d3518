#include "ui/dialogs/chooser_dialog.h"

#include <QLabel>

namespace varcel::ui {

void ChooserDialog::buildFace()
{
    const Rect& f = layout().face;
    // The face's right end keeps the drawn arrow visible.
    m_face = makeFace({f.x + 2, f.y + 2, f.w - 24, f.h - 4}, QStringLiteral("chosenName"));
    sync();
}

void ChooserDialog::sync()
{
    if (m_face)
        m_face->setText(qs(m_chooser.chosenName()));
    chooserChanged();
}

void ChooserDialog::clickAt(const QPoint& pos)
{
    if (!m_face || !layout().face.contains(pos.x(), pos.y()))
        return;
    m_chooser.toggle();
    if (m_chooser.isOpen()) {
        openList(qstrings(m_chooser.rows()), layout().list, m_chooser.chosenRow(), [this](int row) {
            m_chooser.choose(row);
            sync();
        });
    } else {
        closeList();
    }
    sync();
}

void ChooserDialog::listClosed()
{
    m_chooser.close();
    sync();
}

} // namespace varcel::ui
