#include "ui/frame_cache.h"

#include <QDir>
#include <QStandardPaths>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace varcel::ui {

namespace {

// A file without a name in the user's cache folder, gone with the program.
int namelessFile()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + "/varcel";
    if (!QDir().mkpath(folder))
        return -1;
    const QByteArray path = QFile::encodeName(folder);
    const int file = ::open(path.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (file >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL))
        return file;
    // A file system without nameless files: one named for a moment.
    QByteArray pattern = path + "/.frame-XXXXXX";
    const int named = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (named >= 0)
        ::unlink(pattern.constData());
    return named;
}

// Moves `size` bytes between `data` and the file at its start.
bool transfer(int file, char* data, qsizetype size, bool write)
{
    qsizetype done = 0;
    while (done < size) {
        const ssize_t moved = write ? ::pwrite(file, data + done, static_cast<size_t>(size - done), done)
                                    : ::pread(file, data + done, static_cast<size_t>(size - done), done);
        if (moved < 0 && errno == EINTR)
            continue;
        if (moved <= 0)
            return false;
        done += moved;
    }
    return true;
}

} // namespace

FrameCache::~FrameCache()
{
    if (m_file >= 0)
        ::close(m_file);
}

bool FrameCache::keep(const QImage& frame)
{
    m_kept = false;
    if (frame.format() != QImage::Format_ARGB32_Premultiplied || frame.isNull())
        return false;
    if (m_file < 0)
        m_file = namelessFile();
    if (m_file < 0)
        return false;
    const qsizetype bytes = frame.sizeInBytes();
    // Written through a const view: QImage::bits() of a shared image copies it.
    if (!transfer(m_file, const_cast<char*>(reinterpret_cast<const char*>(frame.constBits())), bytes, true) ||
        ::ftruncate(m_file, bytes) != 0)
        return false;
    m_pixels = frame.size();
    m_ratio = frame.devicePixelRatio();
    m_kept = true;
    return true;
}

QImage FrameCache::take(QSize pixels, qreal ratio)
{
    const bool matches = m_kept && pixels == m_pixels && ratio == m_ratio;
    m_kept = false;
    if (!matches)
        return {};
    QImage frame(pixels, QImage::Format_ARGB32_Premultiplied);
    if (frame.isNull() || !transfer(m_file, reinterpret_cast<char*>(frame.bits()), frame.sizeInBytes(), false))
        return {};
    frame.setDevicePixelRatio(ratio);
    return frame;
}

} // namespace varcel::ui
