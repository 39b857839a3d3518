#include "control/focus_rules.h"

#include "control/main_controller.h"
#include "control/profile_library.h"
#include "lang/failure_texts.h"
#include "lang/ui_strings.h"
#include "platform/atomic_file.h"
#include "platform/data_files.h"
#include "platform/file_read.h"
#include "platform/ini_file.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>

namespace varcel {

namespace {

constexpr std::array<const char*, 4> kMatchNames{"app-id", "class", "exe", "default"};
// Rules for every program a user has fit in a few kilobytes; a larger file is
// not read whole at every focus change.
constexpr std::size_t kRuleFileLimit = std::size_t{1} << 20;

// Window classes and program names are ASCII in practice; "Steam" and
// "steam" name one program.
bool sameName(const std::string& a, const std::string& b)
{
    return !a.empty() && a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

bool matches(const FocusRule& rule, const FocusedApp& app)
{
    switch (rule.match) {
    case RuleMatch::AppId: return sameName(rule.value, app.appId);
    case RuleMatch::WindowClass: return sameName(rule.value, app.windowClass) || sameName(rule.value, app.instance);
    case RuleMatch::Executable: return sameName(rule.value, app.executable);
    case RuleMatch::Otherwise: return false;
    }
    return false;
}

} // namespace

const char* ruleMatchName(RuleMatch match) { return kMatchNames[static_cast<std::size_t>(match)]; }

std::optional<RuleMatch> ruleMatchFromName(const std::string& name)
{
    for (std::size_t i = 0; i < kMatchNames.size(); ++i)
        if (name == kMatchNames[i])
            return static_cast<RuleMatch>(i);
    return std::nullopt;
}

std::string describeRule(const FocusRule& rule)
{
    return std::string(ruleMatchName(rule.match)) + (rule.match == RuleMatch::Otherwise ? "" : " ") +
           printableText(rule.value) + " -> " + printableText(rule.profile);
}

FocusRules::FocusRules(std::filesystem::path dataDir) : m_path(dataDir / kProfileRulesFileName) {}

Problem FocusRules::load()
{
    m_rules.clear();
    const FileRead file = readRegularFile(m_path, kRuleFileLimit);
    if (file.status == FileRead::Status::Missing)
        return std::nullopt;
    if (file.status == FileRead::Status::TooLarge)
        return Failure{FailureCode::RulesUnusable, m_path.string(), {}, 0, FileStatus::TooLarge};
    if (!file.ok())
        return readFailure(m_path, file);
    const auto j = nlohmann::json::parse(file.bytes, nullptr, false);
    const auto refused = [&](const std::string& where) {
        m_rules.clear();
        return Failure{FailureCode::RulesUnusable, m_path.string(), where};
    };
    if (!j.is_object() || !j.contains("rules") || !j["rules"].is_array())
        return refused("$.rules");
    for (std::size_t i = 0; i < j["rules"].size(); ++i) {
        const auto& r = j["rules"][i];
        const auto text = [&](const char* key) { return r.is_object() && r.contains(key) && r[key].is_string(); };
        const auto match = text("match") ? ruleMatchFromName(r["match"].get<std::string>()) : std::nullopt;
        if (!match || !text("profile") || (r.contains("value") && !text("value")))
            return refused("$.rules[" + std::to_string(i) + "]");
        m_rules.push_back({*match, r.value("value", ""), r["profile"].get<std::string>()});
    }
    return std::nullopt;
}

Problem FocusRules::save() const { return replaceFileWithText(m_path, text()); }

std::string FocusRules::text() const
{
    nlohmann::ordered_json rules = nlohmann::ordered_json::array();
    for (const FocusRule& rule : m_rules) {
        nlohmann::ordered_json r{{"match", ruleMatchName(rule.match)}};
        if (rule.match != RuleMatch::Otherwise)
            r["value"] = rule.value;
        r["profile"] = rule.profile;
        rules.push_back(r);
    }
    return nlohmann::ordered_json{{"rules", rules}}.dump(2) + "\n";
}

void FocusRules::add(const FocusRule& rule)
{
    for (FocusRule& existing : m_rules)
        if (existing.match == rule.match && (rule.match == RuleMatch::Otherwise || existing.value == rule.value)) {
            existing.profile = rule.profile;
            return;
        }
    m_rules.push_back(rule);
}

bool FocusRules::remove(RuleMatch match, const std::string& value)
{
    const auto gone = std::remove_if(m_rules.begin(), m_rules.end(), [&](const FocusRule& r) {
        return r.match == match && (match == RuleMatch::Otherwise || r.value == value);
    });
    const bool found = gone != m_rules.end();
    m_rules.erase(gone, m_rules.end());
    return found;
}

bool FocusRules::renameProfile(const std::string& from, const std::string& to)
{
    bool renamed = false;
    for (FocusRule& rule : m_rules)
        if (rule.profile == from) {
            rule.profile = to;
            renamed = true;
        }
    return renamed;
}

std::vector<FocusRule> FocusRules::dangling() const
{
    const ProfileLibrary library(m_path.parent_path());
    std::vector<FocusRule> out;
    for (const FocusRule& rule : m_rules)
        if (!library.exists(rule.profile))
            out.push_back(rule);
    return out;
}

std::optional<std::string> FocusRules::profileFor(const FocusedApp& app) const
{
    for (const FocusRule& rule : m_rules)
        if (matches(rule, app))
            return rule.profile;
    for (const FocusRule& rule : m_rules)
        if (rule.match == RuleMatch::Otherwise)
            return rule.profile;
    return std::nullopt;
}

SwitchPolicy::Decision SwitchPolicy::focusChanged(const std::optional<std::string>& target, const std::string& held,
                                                  Clock::time_point now)
{
    // An application without a rule leaves the mouse as it is, and drops a
    // switch that was waiting for its turn.
    m_pending = target;
    m_lastChange = now;
    return decide(held, now);
}

SwitchPolicy::Decision SwitchPolicy::retry(const std::string& held, Clock::time_point now) { return decide(held, now); }

SwitchPolicy::Decision SwitchPolicy::decide(const std::string& held, Clock::time_point now)
{
    if (!m_pending)
        return {};
    if (*m_pending == held) {
        m_pending.reset();
        return {};
    }
    if (now - m_lastChange < kSettle)
        return {std::nullopt, m_lastChange + kSettle};
    if (m_lastSwitch && now - *m_lastSwitch < kMinimumGap)
        return {std::nullopt, *m_lastSwitch + kMinimumGap};
    Decision decision{m_pending, std::nullopt};
    m_pending.reset();
    return decision;
}

ProfileFollower::ProfileFollower(MainController& controller, ArmTimer armTimer,
                                 std::function<SwitchPolicy::Clock::time_point()> clock)
    : m_controller(controller), m_armTimer(std::move(armTimer)), m_clock(std::move(clock))
{}

std::string ProfileFollower::heldByMouse() const
{
    const ActiveProfile active = ProfileLibrary(m_controller.dataDir()).active(m_controller.workspace());
    return active.heldByMouse() ? active.name : std::string();
}

void ProfileFollower::focusChanged(const FocusedApp& app)
{
    // Read at each change: `varcelctl profile rule` takes effect at once.
    FocusRules rules(m_controller.dataDir());
    if (const Problem problem = rules.load())
        tellOnce(failureText(*problem, m_controller.language()));
    act(m_policy.focusChanged(rules.profileFor(app), heldByMouse(), m_clock()));
}

void ProfileFollower::tellOnce(const std::string& words)
{
    if (!m_told.insert(words).second)
        return;
    m_controller.warn(words);
    if (onNotice)
        onNotice(words);
}

void ProfileFollower::retry() { act(m_policy.retry(heldByMouse(), m_clock())); }

void ProfileFollower::act(const SwitchPolicy::Decision& decision)
{
    if (decision.retryAt) {
        m_armTimer(std::max(std::chrono::milliseconds(0),
                            std::chrono::ceil<std::chrono::milliseconds>(*decision.retryAt - m_clock())));
        return;
    }
    if (!decision.switchTo)
        return;
    const std::string target = *decision.switchTo;
    // The balloon that the switch waits was shown once for this profile;
    // every window raised meanwhile need not show it again.
    if (target == m_waitingFor && m_controller.hasUnsavedEdits()) {
        m_policy.blocked(target);
        return;
    }
    m_waitingFor.clear();
    // A rule naming a profile deleted since switches nothing, and says so once.
    if (!ProfileLibrary(m_controller.dataDir()).exists(target)) {
        std::string words = text::kRuleProfileMissing(m_controller.language());
        words.replace(words.find("%s"), 2, printableText(target));
        tellOnce(words);
        return;
    }
    switch (m_controller.switchProfile(target)) {
    case MainController::ProfileSwitch::UnsavedEdits:
        m_policy.blocked(target);
        m_waitingFor = target;
        return;
    case MainController::ProfileSwitch::NoMouse:
    case MainController::ProfileSwitch::Unread: return;
    case MainController::ProfileSwitch::Done:
    case MainController::ProfileSwitch::Failed:
        // The mouse's memory was written (or tried): the next switch waits
        // its turn from here.
        ++m_switches;
        m_policy.switched(m_clock());
        if (onSwitched)
            onSwitched(target);
        return;
    }
}

} // namespace varcel
