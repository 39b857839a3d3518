// Profiles switched by the application in front, on the window thread: the
// focus backend chosen at start-up feeds the core's follower, whose retry
// waits on a single-shot timer (nothing runs while the focus stays put).
#pragma once

#include "control/focus_rules.h"
#include "platform/focus_watch.h"
#include "service/kwin_script.h"

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace varcel {

class VarcelService;

namespace ui {

class CHidMouseDlg;

class FocusFollow : public QObject {
public:
    FocusFollow(CHidMouseDlg& window, VarcelService& service);
    ~FocusFollow() override;

    // Starts the backend; false, with `why`, when the application in front
    // cannot be followed. The KWin script file goes into `runtimeDir`.
    bool start(FocusBackend backend, const std::filesystem::path& runtimeDir, std::string* why);
    ProfileFollower& follower() { return m_follower; }

private:
    CHidMouseDlg& m_window;
    VarcelService& m_service;
    QTimer m_retry;
    ProfileFollower m_follower;
    std::unique_ptr<FocusWatch> m_watch;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::unique_ptr<KWinScript> m_kwin;
};

} // namespace ui
} // namespace varcel
