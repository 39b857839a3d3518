#include "ui/skins_dialog.h"

#include "ui/dialogs/accessible_dialog.h"
#include "ui/dialogs/skinned_dialog.h"

#include "buttons/labels_file.h"
#include "platform/reporter.h"
#include "lang/dialog_strings.h"

#include <QColorDialog>
#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace varcel::ui {

namespace fs = std::filesystem;

namespace {

QRect qrect(const Rect& r) { return {r.x, r.y, r.w, r.h}; }

TextColour toText(const QColor& c)
{
    return {static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
            static_cast<std::uint8_t>(c.blue())};
}

} // namespace

std::vector<std::pair<std::string, fs::path>> CSkinsDialog::skinFolders(const std::vector<fs::path>& roots)
{
    std::vector<std::pair<std::string, fs::path>> folders;
    std::error_code ec;
    for (const fs::path& root : roots) {
        std::vector<std::pair<std::string, fs::path>> here;
        for (const auto& entry : fs::directory_iterator(root, ec))
            if (entry.is_directory(ec))
                here.emplace_back(entry.path().filename().string(), entry.path());
        std::sort(here.begin(), here.end());
        for (auto& folder : here)
            if (std::none_of(folders.begin(), folders.end(), [&](const auto& f) { return f.first == folder.first; }))
                folders.push_back(std::move(folder));
    }
    return folders;
}

CSkinsDialog::CSkinsDialog(const Skin& current, std::string currentName, std::vector<fs::path> roots, Language language,
                           Reporter& reporter, QWidget* parent)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::Dialog), m_skin(current), m_name(std::move(currentName)),
      m_folder(current.folder()), m_roots(std::move(roots)), m_language(language), m_colour(current.textColour()),
      m_keys(*this, Dialog::Skins, language,
             {[this] { return usable(); }, [this](const QPoint& p) { pressAt(p); }, [this] { return skinList(); },
              [this](int row) {
                  if (row < 0)
                      toggleList();
                  else
                      choose(row);
              },
              nullptr, [this] { return QString::fromStdString(m_name); }})
{
    installAccessibleDialogs();
    setWindowTitle(QString::fromUtf8(text::kSkinsTitle(language)));
    setMouseTracking(true);
    m_background = m_skin.image(QString::fromUtf8(layout().image.data(), static_cast<int>(layout().image.size())));
    if (m_background.isNull()) {
        reporter.messageBox("error", text::kSkinsBackgroundFailed);
        return;
    }
    setFixedSize(m_background.deviceIndependentSize().toSize());
    chooseColour = [this](const QColor& initial) -> std::optional<QColor> {
        // Qt's own chooser, in the skin's colours (the application's style
        // sheet), opening at the swatch's colour.
        QColorDialog chooser(initial, this);
        chooser.setOption(QColorDialog::DontUseNativeDialog);
        chooser.setWindowTitle(QString::fromUtf8(text::kSkinColourPrompt(m_language)));
        if (chooser.exec() != QDialog::Accepted || !chooser.selectedColor().isValid())
            return std::nullopt;
        return chooser.selectedColor();
    };
}

const DialogLayout& CSkinsDialog::layout() const { return dialogLayout(Dialog::Skins); }

void CSkinsDialog::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (m_background.isNull())
        return;
    const DialogLayout& l = layout();
    painter.drawImage(0, 0, m_background);
    // The dialog's name, white on the header strip, as every dialog has it.
    QFont font = dialogFont(m_language);
    QFont bold = font;
    bold.setBold(true);
    painter.setFont(bold);
    painter.setPen(Qt::white);
    painter.drawText(qrect(l.title.rect), Qt::AlignLeft | Qt::AlignVCenter, windowTitle());
    // The dialog speaks in the window's colour, not in the one being chosen.
    painter.setPen(m_skin.textColour());
    painter.setFont(font);
    painter.drawImage(l.ok.x, l.ok.y, m_skin.image(m_over == Over::Ok ? "button-over.png" : "button-normal.png"));
    painter.drawText(qrect(l.ok), Qt::AlignCenter, QString::fromUtf8(text::kOk(m_language)));
    painter.drawImage(l.cancel.x, l.cancel.y,
                      m_skin.image(m_over == Over::Cancel ? "button-over.png" : "button-normal.png"));
    painter.drawText(qrect(l.cancel), Qt::AlignCenter, QString::fromUtf8(text::kCancel(m_language)));
    painter.drawImage(l.close.x, l.close.y,
                      m_skin.image(m_over == Over::Close ? "button-close-over.png" : "button-close-normal.png"));
    painter.drawText(qrect(l.prompt.rect), Qt::AlignCenter, QString::fromUtf8(text::kSkinColourPrompt(m_language)));
    painter.fillRect(qrect(l.swatch), m_colour);
    painter.drawText(qrect(l.face).adjusted(8, 0, -24, 0), Qt::AlignVCenter | Qt::AlignLeft,
                     QString::fromStdString(m_name));
    m_keys.drawMark(painter, m_skin.textColour());
}

void CSkinsDialog::toggleList()
{
    if (m_list) {
        m_list->hide();
        m_list->deleteLater();
        m_list = nullptr;
        return;
    }
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("skinList"));
    int current = -1;
    for (const auto& [name, path] : skinFolders(m_roots)) {
        if (name == m_name)
            current = m_list->count();
        m_list->addItem(QString::fromStdString(name));
        m_list->item(m_list->count() - 1)->setSizeHint(QSize(0, kListRowHeight));
    }
    styleDropList(*m_list, m_skin, dialogFont(m_language), current);
    // The row under the pointer is lit, as in every list.
    m_list->setMouseTracking(true);
    connect(m_list, &QListWidget::itemEntered, m_list, [list = m_list](QListWidgetItem* item) {
        list->setCurrentItem(item);
    });
    if (current >= 0)
        m_list->setCurrentRow(current);
    // No empty rows under the last skin.
    QRect area = qrect(layout().list);
    area.setHeight(std::min(area.height(), m_list->count() * kListRowHeight + 2));
    m_list->setGeometry(area);
    connect(m_list, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { choose(m_list->row(item)); });
    m_list->show();
}

void CSkinsDialog::choose(int row)
{
    if (!m_list || row < 0)
        return;
    m_name = m_list->item(row)->text().toStdString();
    m_list->hide();
    m_list->deleteLater();
    m_list = nullptr;
    // A name whose folder has gone keeps the previous folder.
    for (const auto& [name, path] : skinFolders(m_roots))
        if (name == m_name) {
            m_folder = path;
            break;
        }
    // The swatch shows the colour OK will give the texts.
    const auto picked = m_colourPicked ? std::optional(toText(m_colour)) : std::nullopt;
    const TextColour colour = textColourForSkin(picked, m_folder, toText(m_colour));
    m_colour = QColor(colour.r, colour.g, colour.b);
    update();
}

void CSkinsDialog::mousePressEvent(QMouseEvent* event)
{
    if (m_background.isNull() || event->button() != Qt::LeftButton)
        return;
    // A click takes the mark away until the keyboard is used again.
    m_keys.clicked();
    update();
    pressAt(event->position().toPoint());
}

void CSkinsDialog::keyPressEvent(QKeyEvent* event)
{
    if (!m_keys.key(*event))
        QDialog::keyPressEvent(event);
}

bool CSkinsDialog::focusNextPrevChild(bool next)
{
    m_keys.move(next);
    return true;
}

void CSkinsDialog::pressAt(const QPoint& p)
{
    const DialogLayout& l = layout();
    if (l.face.contains(p.x(), p.y())) {
        toggleList();
        return;
    }
    if (m_list) {
        m_list->hide();
        m_list->deleteLater();
        m_list = nullptr;
    }
    if (l.ok.contains(p.x(), p.y()))
        accept();
    else if (l.cancel.contains(p.x(), p.y()) || l.close.contains(p.x(), p.y()))
        reject();
    else if (l.swatch.contains(p.x(), p.y()) && chooseColour) {
        if (const auto chosen = chooseColour(m_colour)) {
            m_colour = *chosen;
            m_colourPicked = true;
            update();
        }
    }
}

void CSkinsDialog::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    const DialogLayout& l = layout();
    const Over over = l.ok.contains(p.x(), p.y())       ? Over::Ok
                      : l.cancel.contains(p.x(), p.y()) ? Over::Cancel
                      : l.close.contains(p.x(), p.y())  ? Over::Close
                                                        : Over::None;
    if (over != m_over) {
        m_over = over;
        update();
    }
}

} // namespace varcel::ui
