#include "ui/focus_follow.h"

#include "service/gnome_extension.h"
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
    case FocusBackend::I3:
    case FocusBackend::Wlroots:
        m_watch = openFocusWatch(backend, why);
        if (!m_watch)
            return false;
        m_notifier = std::make_unique<QSocketNotifier>(m_watch->fd(), QSocketNotifier::Read);
        connect(m_notifier.get(), &QSocketNotifier::activated, this, [this] {
            if (const auto app = m_watch->drain())
                m_follower.focusChanged(*app);
            // A desktop that went away would wake the loop for good.
            if (m_watch->broken())
                m_notifier->setEnabled(false);
        });
        // The window in front when the watch began, and events that came
        // while connecting, are already read.
        if (const auto app = m_watch->drain())
            m_follower.focusChanged(*app);
        return true;
    case FocusBackend::KWin:
        m_kwin = std::make_unique<KWinScript>();
        if (m_kwin->load(runtimeDir / "varcel-focus.js", why))
            return true;
        m_kwin.reset();
        return false;
    case FocusBackend::Gnome: {
        // The extension calls FocusChanged by itself; this only tells
        // whether it will.
        const GnomeFocusExtension extension = gnomeFocusExtension();
        if (!extension.enabled && why)
            *why = extension.problem;
        return extension.enabled;
    }
    case FocusBackend::None:
        if (why)
            *why = "this desktop does not tell programs which application is in front";
        return false;
    }
    return false;
}

} // namespace varcel::ui
