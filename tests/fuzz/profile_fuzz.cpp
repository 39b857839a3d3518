// The profile reader (varcelctl import) on arbitrary text: it never crashes,
// however deep or large the document, and a profile it takes writes out and
// reads back as the same configuration, labels and macros.
#include "control/profile.h"
#include "fuzz/fuzz_support.h"

#include <algorithm>
#include <string_view>

using namespace varcel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<ProfileProblem> problems;
    const Profile profile = profileFromText(text, problems);
    for (const ProfileProblem& problem : problems)
        fuzz::require(problem.path.rfind("$", 0) == 0 && !profileProblemText(problem, Language::English).empty());
    if (!problems.empty())
        return 0;
    fuzz::require(profile.macros.size() <= kMacroCount);
    for (const auto& labels : profile.labels)
        for (const std::string& label : labels)
            fuzz::require(std::none_of(label.begin(), label.end(), [](char c) { return c == '\x1B' || c == '\a'; }));
    std::vector<ProfileProblem> again;
    const Profile back = profileFromText(profileToJson(profile).dump(), again);
    fuzz::require(again.empty());
    fuzz::require(back.image == profile.image && back.firstRunFlag == profile.firstRunFlag);
    fuzz::require(back.labels == profile.labels);
    fuzz::require(back.macros.size() == profile.macros.size());
    for (std::size_t i = 0; i < back.macros.size(); ++i)
        fuzz::require(back.macros[i].name == profile.macros[i].name &&
                      back.macros[i].entries == profile.macros[i].entries);
    return 0;
}
