#include "ui/focus_follow.h"

#include "service/service_core.h"
#include "ui/main_window.h"

namespace varcel::ui {

FocusFollow::FocusFollow(CHidMouseDlg& window, VarcelService& service)
    : m_window(window), m_service(service),
      m_follower(window.controller(), [this](std::chrono::milliseconds wait) { m_retry.start(wait); })
{
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, [this] { m_follower.retry(); });
    window.controller().onEditsSettled = [this] { m_follower.retry(); };
    m_service.onFocusChanged = [this](const FocusedApp& app) { m_follower.focusChanged(app); };
}

FocusFollow::~FocusFollow()
{
    m_window.controller().onEditsSettled = nullptr;
    m_service.onFocusChanged = nullptr;
}

bool FocusFollow::start(FocusBackend backend, const std::filesystem::path& runtimeDir, std::string* why)
{
    switch (backend) {
    case FocusBackend::X11:
        m_watch = openX11FocusWatch(nullptr, why);
        if (!m_watch)
            return false;
        m_notifier = std::make_unique<QSocketNotifier>(m_watch->fd(), QSocketNotifier::Read);
        connect(m_notifier.get(), &QSocketNotifier::activated, this, [this] {
            if (const auto app = m_watch->drain())
                m_follower.focusChanged(*app);
            // An X server that went away would wake the loop for good.
            if (m_watch->broken())
                m_notifier->setEnabled(false);
        });
        // Events that came while connecting are already read into xcb's queue.
        if (const auto app = m_watch->drain())
            m_follower.focusChanged(*app);
        return true;
    case FocusBackend::KWin:
        m_kwin = std::make_unique<KWinScript>();
        if (m_kwin->load(runtimeDir / "varcel-focus.js", why))
            return true;
        m_kwin.reset();
        return false;
    case FocusBackend::None:
        if (why)
            *why = "this desktop does not tell programs which application is in front";
        return false;
    }
    return false;
}

} // namespace varcel::ui
