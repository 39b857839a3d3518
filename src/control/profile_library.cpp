#include "control/profile_library.h"

#include "control/focus_rules.h"
#include "control/workspace.h"
#include "keys/field_text.h"
#include "platform/data_files.h"
#include "platform/file_read.h"
#include "platform/file_transaction.h"
#include "platform/folder_lock.h"
#include "platform/ini_file.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>

namespace varcel {

namespace {

// A profile is small; the limit keeps a stray large file from being read whole.
constexpr std::size_t kProfileFileLimit = std::size_t{16} << 20;

Failure nameFailure(FailureCode code, std::string_view name) { return {code, printableText(name), {}}; }

std::string hex64(std::uint64_t value)
{
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

std::vector<std::uint8_t> bytesOf(std::string_view text) { return {text.begin(), text.end()}; }

std::string markerText(const std::string& name, const std::string& fingerprint, bool applied)
{
    return nlohmann::json{{"name", name}, {"fingerprint", fingerprint}, {"applied", applied}}.dump() + "\n";
}

// FNV-1a: a change of any setting, label or macro changes it.
std::string fingerprintOf(const Profile& profile)
{
    std::uint64_t hash = 14695981039346656037ull;
    const auto add = [&hash](std::string_view bytes) {
        for (const char c : bytes) {
            hash ^= static_cast<unsigned char>(c);
            hash *= 1099511628211ull;
        }
    };
    add(profileText(profile));
    // Bytes the text shows as U+FFFD still count as they are.
    for (const auto& [path, bytes] : textsNotUtf8(profile))
        add(bytes);
    return hex64(hash);
}

} // namespace

Problem checkProfileName(std::string_view name)
{
    // printableText escapes what moves the cursor or does not show; the line
    // and paragraph separators break a line on some terminal or in a menu.
    const std::string printable = printableText(name);
    if (name.empty() || name.front() == '.' || !isValidUtf8(name) || printable != name ||
        characterCount(name) > kProfileNameMaxCharacters || name.find_first_of("/\\") != std::string_view::npos ||
        name.find("\u2028") != std::string_view::npos || name.find("\u2029") != std::string_view::npos)
        return Failure{FailureCode::ProfileNameInvalid, printable, {}};
    return std::nullopt;
}

ProfileLibrary::ProfileLibrary(std::filesystem::path dataDir) : m_dataDir(std::move(dataDir)) {}

std::filesystem::path ProfileLibrary::folder() const { return m_dataDir / kProfilesFolderName; }

std::filesystem::path ProfileLibrary::fileOf(const std::string& name) const
{
    return folder() / (name + kProfileFileSuffix);
}

std::vector<std::string> ProfileLibrary::names() const
{
    std::vector<std::string> out;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder(), ec), end; !ec && it != end; it.increment(ec)) {
        const std::string file = it->path().filename().string();
        const std::string suffix = kProfileFileSuffix;
        if (file.size() <= suffix.size() || file.compare(file.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        const std::string name = file.substr(0, file.size() - suffix.size());
        std::error_code typeError;
        if (!checkProfileName(name) && std::filesystem::is_regular_file(it->path(), typeError))
            out.push_back(name);
    }
    std::sort(out.begin(), out.end());
    return out;
}

bool ProfileLibrary::exists(const std::string& name) const
{
    std::error_code ec;
    return !checkProfileName(name) && std::filesystem::is_regular_file(fileOf(name), ec);
}

std::optional<Profile> ProfileLibrary::read(const Workspace& workspace, const std::string& name, Problem& problem) const
{
    if ((problem = checkProfileName(name)))
        return std::nullopt;
    const FileRead file = readRegularFile(fileOf(name), kProfileFileLimit);
    if (file.status == FileRead::Status::Missing) {
        problem = nameFailure(FailureCode::ProfileMissing, name);
        return std::nullopt;
    }
    if (!file.ok()) {
        problem = readFailure(fileOf(name), file);
        return std::nullopt;
    }
    auto profile = workspace.readProfileText(file.bytes, problem);
    if (problem)
        problem->subject = fileOf(name).string();
    return profile;
}

Problem ProfileLibrary::save(const Workspace& workspace, const std::string& name, bool asNew,
                             std::vector<std::string>* replaced)
{
    if (Problem bad = checkProfileName(name))
        return bad;
    const FolderLock lock(m_dataDir);
    if (Problem busy = lockFailure(lock, m_dataDir))
        return busy;
    if (asNew && exists(name))
        return nameFailure(FailureCode::ProfileExists, name);
    Problem problem;
    const std::optional<Profile> profile = workspace.exportProfile(problem);
    if (!profile)
        return problem;
    std::error_code ec;
    std::filesystem::create_directory(folder(), ec);
    if (replaced)
        for (const auto& [path, bytes] : textsNotUtf8(*profile))
            replaced->push_back(path);
    FileTransaction transaction(m_dataDir);
    transaction.add(fileOf(name), bytesOf(profileText(*profile, 2) + "\n"));
    const AlsoWritten marker = activeMarker(name, *profile, false);
    transaction.add(marker.path, bytesOf(marker.text));
    return commit(transaction);
}

Problem ProfileLibrary::loaded(const Workspace& workspace, const std::string& name, bool applied)
{
    const FolderLock lock(m_dataDir);
    if (Problem busy = lockFailure(lock, m_dataDir))
        return busy;
    Problem problem;
    const std::optional<Profile> profile = workspace.exportProfile(problem);
    const AlsoWritten marker{markerPath(), markerText(name, profile ? fingerprintOf(*profile) : "", applied)};
    FileTransaction transaction(m_dataDir);
    transaction.add(marker.path, bytesOf(marker.text));
    return commit(transaction);
}

AlsoWritten ProfileLibrary::activeMarker(const std::string& name, const Profile& imported, bool applied) const
{
    return {markerPath(), markerText(name, fingerprintOf(imported), applied)};
}

Problem ProfileLibrary::rename(const std::string& from, const std::string& to)
{
    if (Problem bad = checkProfileName(from))
        return bad;
    if (Problem bad = checkProfileName(to))
        return bad;
    const FolderLock lock(m_dataDir);
    if (Problem busy = lockFailure(lock, m_dataDir))
        return busy;
    if (!exists(from))
        return nameFailure(FailureCode::ProfileMissing, from);
    std::error_code ec;
    if (std::filesystem::symlink_status(fileOf(to), ec).type() != std::filesystem::file_type::not_found)
        return nameFailure(FailureCode::ProfileExists, to);
    const FileRead file = readRegularFile(fileOf(from), kProfileFileLimit);
    if (!file.ok())
        return readFailure(fileOf(from), file);
    // The new name, the old one gone, the rules and the marker: all at once.
    FileTransaction transaction(m_dataDir);
    transaction.add(fileOf(to), bytesOf(file.bytes));
    transaction.remove(fileOf(from));
    // The rules follow the profile to its new name.
    FocusRules rules(m_dataDir);
    if (!rules.load() && rules.renameProfile(from, to))
        transaction.add(rules.path(), bytesOf(rules.text()));
    // The active profile keeps being the active one under its new name.
    const FileRead state = readRegularFile(markerPath(), 4096);
    if (state.ok()) {
        auto j = nlohmann::json::parse(state.bytes, nullptr, false);
        if (j.is_object() && j.value("name", "") == from) {
            j["name"] = to;
            transaction.add(markerPath(), bytesOf(j.dump() + "\n"));
        }
    }
    return commit(transaction);
}

Problem ProfileLibrary::remove(const std::string& name)
{
    if (Problem bad = checkProfileName(name))
        return bad;
    const FolderLock lock(m_dataDir);
    if (Problem busy = lockFailure(lock, m_dataDir))
        return busy;
    if (!exists(name))
        return nameFailure(FailureCode::ProfileMissing, name);
    FileTransaction transaction(m_dataDir);
    transaction.remove(fileOf(name));
    return commit(transaction);
}

ActiveProfile ProfileLibrary::active(const Workspace& workspace) const
{
    ActiveProfile out;
    const FileRead state = readRegularFile(m_dataDir / kActiveProfileFileName, 4096);
    if (!state.ok())
        return out;
    const auto j = nlohmann::json::parse(state.bytes, nullptr, false);
    if (!j.is_object() || !j.contains("name") || !j["name"].is_string())
        return out;
    out.name = j["name"].get<std::string>();
    // A profile deleted since, or a hand-edited name, is no active profile.
    if (!exists(out.name))
        return {};
    out.applied = j.value("applied", false);
    out.modified = j.value("fingerprint", std::string()) != fingerprint(workspace);
    return out;
}

std::filesystem::path ProfileLibrary::markerPath() const { return m_dataDir / kActiveProfileFileName; }

Problem ProfileLibrary::commit(FileTransaction& transaction) const
{
    std::string failedPath;
    if (const int error = transaction.commit(&failedPath, afterSaveStep))
        return Failure{FailureCode::FileNotWritten, failedPath, {}, error};
    return std::nullopt;
}

std::string ProfileLibrary::fingerprint(const Workspace& workspace) const
{
    Problem problem;
    const std::optional<Profile> profile = workspace.exportProfile(problem);
    return profile ? fingerprintOf(*profile) : std::string();
}

} // namespace varcel
