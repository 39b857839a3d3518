// What the main window does, without the window: start-up in its order, the
// pages, OK, Apply, Cancel, the tray icon's click, the mouse's news and exit.
// The Qt window draws what this holds and calls it; tests drive it directly.
#pragma once

#include "control/balloons.h"
#include "control/page.h"
#include "control/pointer_page.h"
#include "buttons/button_labels.h"
#include "buttons/button_model.h"
#include "settings/key_page_settings.h"
#include "buttons/labels_file.h"
#include "control/workspace.h"
#include "device/config_store.h"
#include "device/device_session.h"
#include "lang/language.h"
#include "macros/macro_page.h"
#include "macros/macro_recorder.h"
#include "macros/macro_store.h"

#include <filesystem>
#include <memory>

namespace varcel {

// What the controller asks of the window.
class MainWindowView {
public:
    virtual ~MainWindowView() = default;
    virtual void showBalloon(const Balloon& balloon) = 0;
    virtual void showWindow() = 0;
    virtual void hideWindow() = 0;
    // The page's controls (open lists, edit boxes) must go.
    virtual void tearDownPage(Page page) = 0;
    // Draw the page anew from the working image and the labels.
    virtual void drawPage(Page page) = 0;
    // Another program changed a file while the window holds unsaved
    // changes: true keeps them, false takes the file.
    virtual bool keepEdits(const std::string& question, const std::string& keep, const std::string& take)
    {
        (void)question, (void)keep, (void)take;
        return true;
    }
};

class MainController {
public:
    // `status` must hand codes to the window thread (it is called from the
    // reader thread too); the window thread then calls deviceStatus().
    MainController(std::filesystem::path dataDir, HidBackend& backend, Reporter& reporter, StatusSink& status,
                   MainWindowView& view, Language language);
    ~MainController();

    // Discovery and handshake (a message box when the mouse is absent),
    // config.bin, str.ini, and the key page when the mouse is there.
    void startUp();
    // Whether the mouse being plugged in and out can be followed (the udev
    // monitor could be made); told before startUp().
    void setHotplugAvailable(bool available) { m_hotplugAvailable = available; }

    void buildKeyPage();
    void buildAdvancedPage();
    void ok();
    void apply();
    void cancel();
    void trayActivated();
    void deviceStatus(StatusCode code, int value);
    // A skin chosen in the skin dialog: stored in str.ini at once, and the
    // page drawn again in it.
    void skinChosen(const std::string& name, TextColour colour);
    void hotplug(const std::vector<HotplugEvent>& events);
    // The data folder's files may have been changed by another program (the
    // window's watch saw it, or a command ran through the bus): they are
    // taken and the page drawn again; unsaved changes here are the user's
    // to keep or drop.
    void filesChanged();
    // Told of each status of the mouse and of files taken from disk, on the
    // window thread (the bus interface follows them).
    std::function<void(StatusCode, int)> onStatus;
    std::function<void()> onFilesChanged;
    // OK, Apply or Cancel: the window holds no unsaved edits any more, and
    // a profile switch that waited for them may go on.
    std::function<void()> onEditsSettled;
    // The image or the labels hold changes not yet applied, or the macro
    // page shown holds a recording under way or a list not yet confirmed.
    bool hasUnsavedEdits() const;
    // Ends the reader; the window then closes itself.
    void exit();

    // The tray menu's "Profiles": the named profiles, the active one checked.
    struct ProfileEntry {
        std::string name;
        bool active = false;
    };
    std::vector<ProfileEntry> profileMenu() const;
    // Unread: the profile could not be read; nothing was sent or changed.
    enum class ProfileSwitch { Done, NoMouse, UnsavedEdits, Failed, Unread };
    // A profile chosen in the tray menu (or for the application in front)
    // becomes the configuration, goes to the mouse and the page is drawn
    // anew. Without the mouse, or while the window holds unsaved edits,
    // nothing changes and a balloon says why.
    ProfileSwitch switchProfile(const std::string& name);
    // A warning balloon, for what follows the files without the window
    // asking (the profile rules).
    void warn(const std::string& words);
    // "Save as new profile...": a name refused or taken is said in a balloon.
    bool saveNewProfile(const std::string& name);

    Page currentPage() const { return m_page; }
    bool keyPageBuilt() const { return m_keyPageBuilt; }
    bool rebuildPending() const { return m_rebuildPending; }
    Language language() const { return m_language; }
    Workspace& workspace() { return m_workspace; }
    ConfigStore& config() { return m_workspace.config(); }
    ButtonLabels& labels() { return m_workspace.labels(); }
    ButtonModel& buttons() { return m_buttons; }
    KeyPageSettings& settings() { return m_settings; }
    DeviceSession& session() { return m_session; }
    const SkinSettings& skin() { return m_workspace.skin(); }
    const std::filesystem::path& dataDir() const { return m_dataDir; }
    MacroPage& macroPage() { return m_macroPage; }
    MacroRecorder& recorder() { return m_recorder; }
    // The pointer block; its desktop backend is picked at first use (the
    // key page never needs it), unless one was given before.
    PointerPage& pointer();
    void usePointerSettings(std::unique_ptr<PointerSettings> settings);
    // The window went out of sight (its minimise button): a recording ends,
    // so keys typed elsewhere later are not taken for the macro.
    void windowHidden();
    std::filesystem::path labelsPath() const { return m_workspace.labelsPath(); }

private:
    // OK and Apply: nothing at all while the mouse is not accepted. Returns
    // whether everything reached the mouse; the user hears what did not.
    // With a profile, that profile is sent and then imported with the
    // files `alsoWritten` gives.
    bool applyToMouse(const Profile* profile = nullptr, const Workspace::ImportedWith& alsoWritten = {});
    // A file that cannot be read or written is told once, not saved over.
    void tellFileProblem(const Problem& problem);
    void tellOnce(const std::string& text);
    // Tears the current page down and builds it again from the working image.
    // With `keepMacroPage` the macro page stays as the user left it (its
    // recording, its list and selection): only the files' part is new.
    void rebuildPage(bool keepMacroPage = false);
    void hideWindow();
    // The advanced page is being left: its recording ends without a word.
    void leaveAdvancedPage();

    std::filesystem::path m_dataDir;
    Reporter& m_reporter;
    MainWindowView& m_view;
    Language m_language;
    Workspace m_workspace;
    ButtonModel m_buttons;
    KeyPageSettings m_settings;
    DeviceSession m_session;
    MacroPage m_macroPage;
    MacroRecorder m_recorder;
    std::unique_ptr<PointerSettings> m_pointerSettings;
    std::unique_ptr<PointerPage> m_pointer;
    Page m_page = Page::None;
    bool m_keyPageBuilt = false;
    bool m_rebuildPending = false;
    bool m_fileProblemTold = false;
    bool m_hotplugAvailable = true;
    bool m_askingAboutFiles = false;
};

} // namespace varcel
