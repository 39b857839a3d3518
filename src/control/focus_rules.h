// Switching profiles by the application in front: the user's rules (an
// application ID, a window class or an executable name, each naming a
// profile, and a profile for everything else), kept in the data folder, and
// the decision when to switch. The mouse writes its memory on every apply,
// so a switch happens only when the mouse holds another profile, once the
// focus has stayed 10 ms (Alt+Tab passing over windows, or focus flapping,
// asks for nothing), at most once per 300 ms however fast the focus moves,
// and never over the window's unsaved edits.
#pragma once

#include "platform/failure.h"
#include "platform/focus_watch.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace varcel {

class MainController;

enum class RuleMatch { AppId, WindowClass, Executable, Otherwise };

struct FocusRule {
    RuleMatch match = RuleMatch::Otherwise;
    std::string value; // empty for Otherwise
    std::string profile;
};

// The words of the rule file and of `varcelctl profile rule`: "app-id",
// "class", "exe", "default".
const char* ruleMatchName(RuleMatch match);
std::optional<RuleMatch> ruleMatchFromName(const std::string& name);
// "class Steam -> Game", as `varcelctl profile rule list` prints a rule.
std::string describeRule(const FocusRule& rule);

class FocusRules {
public:
    explicit FocusRules(std::filesystem::path dataDir);

    // The rule file; a missing one holds no rules, one that is not valid is
    // the problem (and nothing is saved over it).
    Problem load();
    Problem save() const;
    // The file's text with the rules as they are here, and its path.
    std::string text() const;
    const std::filesystem::path& path() const { return m_path; }
    const std::vector<FocusRule>& rules() const { return m_rules; }

    // Adds the rule or gives an existing one of the same match and value
    // the new profile.
    void add(const FocusRule& rule);
    // False when there is no such rule.
    bool remove(RuleMatch match, const std::string& value);
    // The names of profiles that rules name, the given one renamed; false
    // when no rule named it.
    bool renameProfile(const std::string& from, const std::string& to);

    // The rules naming a profile that does not exist (deleted since, or the
    // file edited by hand): they switch nothing.
    std::vector<FocusRule> dangling() const;

    // The profile for the application: the first rule that matches it (the
    // class and executable without regard to letter case), else the
    // profile for everything else, else none.
    std::optional<std::string> profileFor(const FocusedApp& app) const;

private:
    std::filesystem::path m_path;
    std::vector<FocusRule> m_rules;
};

// When to switch, apart from how: fed with the profile each focus change
// asks for and the time, it says whether to switch now or when to look
// again. The clock is the caller's, so tests need not sleep.
class SwitchPolicy {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kMinimumGap{300};
    static constexpr std::chrono::milliseconds kSettle{10};

    struct Decision {
        std::optional<std::string> switchTo;      // switch now to this profile
        std::optional<Clock::time_point> retryAt; // otherwise look again then
    };

    // The application in front asks for `target` (none: no rule for it);
    // `held` is the profile the mouse holds (empty: none known).
    Decision focusChanged(const std::optional<std::string>& target, const std::string& held, Clock::time_point now);
    // The retry time came, or the window's edits were applied or dropped.
    Decision retry(const std::string& held, Clock::time_point now);
    // A switch was made (or tried) at `when`: the next waits its turn.
    void switched(Clock::time_point when) { m_lastSwitch = when; }
    // The switch waits for the window's edits.
    void blocked(const std::string& target) { m_pending = target; }

private:
    Decision decide(const std::string& held, Clock::time_point now);

    std::optional<std::string> m_pending;
    Clock::time_point m_lastChange{};
    std::optional<Clock::time_point> m_lastSwitch;
};

// The rules and the policy on the running program: each focus change is
// looked up and, when the policy says so, the controller switches.
class ProfileFollower {
public:
    using ArmTimer = std::function<void(std::chrono::milliseconds)>;
    ProfileFollower(MainController& controller, ArmTimer armTimer,
                    std::function<SwitchPolicy::Clock::time_point()> clock = SwitchPolicy::Clock::now);

    void focusChanged(const FocusedApp& app);
    // The timer armed before fired, or the window's edits were settled.
    void retry();
    // Switches made, for tests and the benchmark.
    int switches() const { return m_switches; }
    // Told of each switch made, with the profile's name.
    std::function<void(const std::string& profile)> onSwitched;
    // Told, once each, what keeps the rules from switching (a rule file that
    // cannot be used, a rule naming a profile that is not there); the window
    // shows it too.
    std::function<void(const std::string& words)> onNotice;

private:
    void tellOnce(const std::string& words);
    std::string heldByMouse() const;
    void act(const SwitchPolicy::Decision& decision);

    MainController& m_controller;
    ArmTimer m_armTimer;
    std::function<SwitchPolicy::Clock::time_point()> m_clock;
    SwitchPolicy m_policy;
    int m_switches = 0;
    std::string m_waitingFor; // the profile a switch waits for the window's edits to go to
    std::set<std::string> m_told;
};

} // namespace varcel
