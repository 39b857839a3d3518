#include "ui/dialogs/skinned_dialog.h"

#include "lang/dialog_strings.h"
#include "platform/reporter.h"
#include "ui/dialogs/accessible_dialog.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cstdio>

namespace varcel::ui {

namespace {

constexpr int kRowsPerNotch = 3;
constexpr int kNotch = 120; // angle delta of one wheel notch

} // namespace

QFont dialogFont(Language language)
{
    QFont font;
    if (language == Language::English) {
        font = QFont(QStringLiteral("Arial"));
        font.setPixelSize(14);
    } else {
        // Arial has no Chinese: Noto Sans CJK where it is installed (as the
        // tests install it), else the CJK face the desktop substitutes.
        font = QFont(language == Language::SimplifiedChinese ? QStringLiteral("Noto Sans CJK SC")
                                                             : QStringLiteral("Noto Sans CJK TC"));
        font.setPixelSize(13);
    }
    font.setStyleHint(QFont::SansSerif);
    return font;
}

SkinnedDialog::SkinnedDialog(Dialog which, const Skin& skin, Language language, Reporter& reporter,
                             const char* failedCaption, QWidget* parent)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::Dialog), m_which(which), m_skin(skin), m_language(language),
      m_reporter(reporter), m_font(dialogFont(language)),
      m_keys(*this, which, language,
             {[this] { return hasBackground(); }, [this](const QPoint& p) { pressAt(p); }, [this] { return rowList(); },
              [this](int row) { takeRow(row); },
              [this](int option) { return optionChecked(option); }, [this] { return faceText(); }})
{
    installAccessibleDialogs();
    setModal(true);
    setMouseTracking(true);
    QDialog::setFont(m_font);
    const DialogLayout& l = layout();
    m_background = m_skin.image(QString::fromUtf8(l.image.data(), static_cast<qsizetype>(l.image.size())));
    if (m_background.isNull()) {
        m_reporter.messageBox(text::kError, failedCaption);
        // Without its background the dialog still has to be left: it keeps
        // the layout's size and shows OK, Cancel and close on a plain face.
        setFixedSize(l.width, l.height);
        return;
    }
    setFixedSize(m_background.deviceIndependentSize().toSize());
}

SkinnedDialog::~SkinnedDialog() = default;

QString SkinnedDialog::text(const LangText& t) const { return qs(t(m_language)); }

QPoint SkinnedDialog::okPoint() const { return middle(layout().ok); }
QPoint SkinnedDialog::cancelPoint() const { return middle(layout().cancel); }
QPoint SkinnedDialog::closePoint() const { return middle(layout().close); }

QImage SkinnedDialog::grabImage() { return grab().toImage(); }

void SkinnedDialog::setTitle(const char* title)
{
    m_title = qs(title);
    setWindowTitle(m_title);
}

QLineEdit* SkinnedDialog::makeField(const Rect& where, const QString& objectName)
{
    auto* field = new QLineEdit(this);
    field->setObjectName(objectName);
    field->setGeometry(qrect(where));
    field->setAlignment(Qt::AlignCenter);
    field->setFont(m_font);
    field->setStyleSheet(m_skin.look().fieldStyle());
    field->setFrame(false);
    field->show();
    return field;
}

QLabel* SkinnedDialog::makeFace(const Rect& where, const QString& objectName, Qt::Alignment align)
{
    auto* face = new QLabel(this);
    face->setObjectName(objectName);
    face->setGeometry(qrect(where));
    face->setAlignment(align | Qt::AlignVCenter);
    face->setFont(m_font);
    face->setStyleSheet(m_skin.look().fieldStyle());
    face->setAttribute(Qt::WA_TransparentForMouseEvents);
    face->show();
    return face;
}

void SkinnedDialog::openList(const QStringList& rows, const Rect& where, int selected, std::function<void(int)> chosen)
{
    closeList();
    auto* list = new QListWidget(this);
    list->setObjectName(QStringLiteral("rowList"));
    list->setUniformItemSizes(true);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    list->addItems(rows);
    for (int i = 0; i < list->count(); ++i)
        list->item(i)->setSizeHint(QSize(where.w - 2, kListRowHeight));
    styleDropList(*list, m_skin, m_font, selected);
    // No empty rows under the last one.
    QRect area = qrect(where);
    area.setHeight(std::min(area.height(), static_cast<int>(rows.size()) * kListRowHeight + 2));
    list->setGeometry(area);
    list->setMouseTracking(true);
    list->viewport()->setMouseTracking(true);
    list->viewport()->installEventFilter(this);
    if (selected >= 0 && selected < list->count())
        list->setCurrentRow(selected);
    // The row under the pointer is the selected one; a click takes it.
    connect(list, &QListWidget::itemEntered, list, [list](QListWidgetItem* item) { list->setCurrentItem(item); });
    connect(list, &QListWidget::itemClicked, this, [this, list](QListWidgetItem* item) { takeRow(list->row(item)); });
    m_list = list;
    m_chosen = std::move(chosen);
    m_wheelRest = 0;
    list->show();
    list->raise();
}

void SkinnedDialog::takeRow(int row)
{
    auto chosen = m_chosen;
    closeList();
    if (row < 0)
        listClosed();
    else if (chosen)
        chosen(row);
}

void SkinnedDialog::closeList()
{
    if (!m_list)
        return;
    QListWidget* list = m_list;
    m_list = nullptr;
    m_chosen = nullptr;
    list->hide();
    list->deleteLater();
}

void SkinnedDialog::scrollList(int angleDelta)
{
    if (!m_list)
        return;
    m_wheelRest += angleDelta;
    const int notches = m_wheelRest / kNotch;
    m_wheelRest -= notches * kNotch;
    if (notches == 0)
        return;
    QScrollBar* bar = m_list->verticalScrollBar();
    // Per-item scrolling: the bar's value is the top row.
    bar->setValue(bar->value() - notches * kRowsPerNotch);
}

bool SkinnedDialog::isCapturingKeys() const { return m_capture && m_capture->isInstalled(); }

void SkinnedDialog::startKeyCapture(const char* failureFormat, bool windowsKeysToo,
                                    std::function<void(const CapturedKey&)> handler)
{
    m_keyDialog = true;
    m_windowsKeysToo = windowsKeysToo;
    // Tab and Shift+Tab are also the keyboard's way from the key field to OK.
    // The first key pressed in the field since it got the focus is a key
    // whatever it is, so a button can still be given Tab; after it, Tab moves
    // on. OK, Cancel and close take no keys while they have the focus.
    constexpr std::uint32_t kTabKey = 15;
    auto capture = std::make_unique<KeyCapture>([this, handler = std::move(handler)](const CapturedKey& key) {
        if (m_keys.offKeyField()) {
            m_fieldHasKey = false;
            return;
        }
        if (key.evdevCode == kTabKey) {
            if (key.press && !m_fieldHasKey)
                m_tabIsKey = true;
            if (!m_tabIsKey)
                return;
            if (!key.press)
                m_tabIsKey = false;
        }
        if (key.press)
            m_fieldHasKey = true;
        handler(key);
    });
    if (const int error = capture->install(); error != 0) {
        char text[96];
        std::snprintf(text, sizeof text, failureFormat, error);
        m_reporter.messageBox(text, kAppTitle);
        return;
    }
    m_capture = std::move(capture);
}

bool SkinnedDialog::capturedKey(const QKeyEvent& event) const
{
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_F1: return true;
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R: return m_windowsKeysToo;
    default: return false;
    }
}

void SkinnedDialog::done(int result)
{
    m_capture.reset();
    closeList();
    QDialog::done(result);
}

void SkinnedDialog::drawText(QPainter& painter, const TextSpot& spot, const QString& text, const QColor& colour,
                             int flags) const
{
    ui::drawText(painter, spot, text, m_font, colour, flags);
}

void SkinnedDialog::paintContents(QPainter&) {}

void SkinnedDialog::clickAt(const QPoint&) {}

void SkinnedDialog::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const DialogLayout& l = layout();
    if (hasBackground()) {
        painter.drawImage(0, 0, m_background);
        paintContents(painter);
    } else {
        painter.fillRect(rect(), QColor(40, 40, 40));
        painter.setPen(QColor(90, 95, 102));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    if (!m_title.isEmpty() && hasBackground()) {
        // White on the header strip, which is dark or saturated in every skin.
        QFont bold = m_font;
        bold.setBold(true);
        painter.setFont(bold);
        painter.setPen(Qt::white);
        painter.drawText(qrect(l.title.rect), Qt::AlignLeft | Qt::AlignVCenter,
                         QFontMetrics(bold).elidedText(m_title, Qt::ElideRight, l.title.rect.w));
    }
    const auto button = [&](const Rect& r, bool over, const QString& normal, const QString& hover) {
        if (!m_skin.drawImage(painter, over ? hover : normal, r.x, r.y)) {
            painter.setPen(QColor(150, 150, 150));
            painter.drawRect(qrect(r).adjusted(0, 0, -1, -1));
        }
    };
    button(l.ok, m_over == Over::Ok, QStringLiteral("button-normal.png"), QStringLiteral("button-over.png"));
    drawText(painter, {l.ok, Align::Centre}, text(text::kOk), textColour());
    button(l.cancel, m_over == Over::Cancel, QStringLiteral("button-normal.png"), QStringLiteral("button-over.png"));
    drawText(painter, {l.cancel, Align::Centre}, text(text::kCancel), textColour());
    button(l.close, m_over == Over::Close, QStringLiteral("button-close-normal.png"),
           QStringLiteral("button-close-over.png"));
    m_keys.drawMark(painter, textColour());
}

void SkinnedDialog::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    // A click takes the mark away until the keyboard is used again.
    m_keys.clicked();
    update();
    pressAt(event->position().toPoint());
}

void SkinnedDialog::pressAt(const QPoint& p)
{
    const DialogLayout& l = layout();
    if (l.ok.contains(p.x(), p.y())) {
        closeList();
        accept();
        return;
    }
    if (l.cancel.contains(p.x(), p.y()) || l.close.contains(p.x(), p.y())) {
        closeList();
        reject();
        return;
    }
    if (!hasBackground())
        return;
    // A click anywhere but on the list's own face closes an open list; a click
    // on the face is the face's to handle.
    if (m_list && !l.face.contains(p.x(), p.y())) {
        closeList();
        listClosed();
    }
    clickAt(p);
}

void SkinnedDialog::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    const DialogLayout& l = layout();
    setOver(l.ok.contains(p.x(), p.y())       ? Over::Ok
            : l.cancel.contains(p.x(), p.y()) ? Over::Cancel
            : l.close.contains(p.x(), p.y())  ? Over::Close
                                              : Over::None);
}

void SkinnedDialog::leaveEvent(QEvent*) { setOver(Over::None); }

void SkinnedDialog::keyPressEvent(QKeyEvent* event)
{
    if (m_keyDialog && !m_keys.offKeyField()) {
        if (capturedKey(*event))
            event->accept();
        else
            QDialog::keyPressEvent(event);
        return;
    }
    if (m_keys.key(*event))
        return;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        closeList();
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool SkinnedDialog::focusNextPrevChild(bool next)
{
    if (m_tabIsKey)
        return true; // this Tab is the key field's key
    m_keys.move(next);
    return true;
}

void SkinnedDialog::wheelEvent(QWheelEvent* event) { scrollList(event->angleDelta().y()); }

bool SkinnedDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (m_list && watched == m_list->viewport() && event->type() == QEvent::Wheel) {
        scrollList(static_cast<QWheelEvent*>(event)->angleDelta().y());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void SkinnedDialog::setOver(Over over)
{
    if (over == m_over)
        return;
    m_over = over;
    update();
}

} // namespace varcel::ui
