// Writes varcelctl's bash completion from its template, with the name tables
// (key names, modifiers, multimedia, application and fire keys, the RGB
// effects' parameters) taken from
// the program's own tables, so completion offers what varcelctl accepts.
//
// The subcommands come from varcelctl's own --help, so a command added to
// varcelctl is completed without touching the script.
//
//   make_completion TEMPLATE OUTPUT VARCELCTL
#include "settings/setting_catalogue.h"
#include "keys/key_tables.h"

#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>
#include <iterator>
#include <string>
#include <string_view>

namespace {

using namespace varcel;

// A bash word in single quotes.
std::string quoted(std::string_view text)
{
    std::string out = "'";
    for (const char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// A variable holding one name per line.
template <typename Rows, typename NameOf>
std::string table(const char* variable, const Rows& rows, NameOf nameOf)
{
    std::string lines;
    for (const auto& row : rows) {
        const std::string name = nameOf(row);
        if (!name.empty())
            lines += name + "\n";
    }
    return std::string(variable) + "=" + quoted(lines) + "\n";
}

// The names listed under "Subcommands:" in a --help text.
std::vector<std::string> subcommandsIn(const std::string& help)
{
    std::vector<std::string> names;
    std::istringstream lines(help);
    std::string line;
    bool inList = false;
    while (std::getline(lines, line)) {
        if (line == "Subcommands:") {
            inList = true;
        } else if (inList && line.rfind("  ", 0) == 0 && line.size() > 2 && line[2] != ' ') {
            names.push_back(line.substr(2, line.find(' ', 2) - 2));
        } else if (inList && !line.empty() && line[0] != ' ') {
            inList = false;
        }
    }
    return names;
}

std::string helpOf(const std::string& varcelctl, const std::string& command)
{
    std::string help;
    const std::string line = "'" + varcelctl + "' " + command + " --help";
    if (FILE* pipe = ::popen(line.c_str(), "r")) {
        char buffer[4096];
        while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
            help.append(buffer, n);
        ::pclose(pipe);
    }
    return help;
}

// Variables naming the subcommands: "_varcelctl_commands", and for a command
// that has its own, "_varcelctl_subcommands_<command>" (dashes as underscores).
std::string commandTables(const std::string& varcelctl)
{
    const auto commands = subcommandsIn(helpOf(varcelctl, ""));
    std::string out = "_varcelctl_commands=";
    std::string words;
    for (const std::string& c : commands)
        words += (words.empty() ? "" : " ") + c;
    out += quoted(words) + "\n";
    for (const std::string& c : commands) {
        const auto subs = subcommandsIn(helpOf(varcelctl, c));
        if (subs.empty())
            continue;
        std::string variable = "_varcelctl_subcommands_" + c;
        for (char& ch : variable)
            ch = ch == '-' ? '_' : ch;
        std::string list;
        for (const std::string& sub : subs)
            list += (list.empty() ? "" : " ") + sub;
        out += variable + "=" + quoted(list) + "\n";
    }
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: make_completion TEMPLATE OUTPUT VARCELCTL\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::string text(std::istreambuf_iterator<char>(in), {});
    const std::string marker = "@VARCEL_NAME_TABLES@";
    const auto at = text.find(marker);
    if (!in || at == std::string::npos) {
        std::fprintf(stderr, "make_completion: %s has no %s\n", argv[1], marker.c_str());
        return 1;
    }
    std::string tables = commandTables(argv[3]);
    if (tables.find("export") == std::string::npos) {
        std::fprintf(stderr, "make_completion: %s --help lists no subcommands\n", argv[3]);
        return 1;
    }
    tables += table("_varcelctl_key_names", kKeyNameTable, [](const KeyNameRow& r) { return std::string(r.name); });
    tables += table("_varcelctl_modifier_names", kModifierTable, [](const ModifierRow& r) { return std::string(r.name); });
    tables += table("_varcelctl_media_names", kMediaRows, [](const MediaRow& r) { return std::string(r.text.en); });
    tables += table("_varcelctl_application_names", kApplicationRows,
                    [](const ApplicationRow& r) { return std::string(r.text.en); });
    tables += table("_varcelctl_fire_key_names", kFireKeyRows, [](const FireKeyRow& r) { return std::string(r.text); });
    // The settings' values, from the catalogue: "_varcelctl_setting_<id>"
    // (the RGB parameters with the mode after it), and the modes' first words.
    const auto choiceText = [](const SettingChoice& c) { return std::string(c.text); };
    for (const Setting& row : settingCatalogue())
        for (int i = 0; i < (row.id == SettingId::RgbParameter ? row.instances : 1); ++i)
            tables += table(("_varcelctl_setting_" + std::string(row.busProperty) +
                             (row.id == SettingId::RgbParameter ? std::to_string(i + 1) : ""))
                                .c_str(),
                            settingChoices(row.id, i), choiceText);
    tables += table("_varcelctl_rgb_modes", settingChoices(SettingId::RgbMode), [](const SettingChoice& c) {
        std::string word = std::string(c.text).substr(0, std::string(c.text).find(' '));
        for (char& ch : word)
            ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        return word;
    });
    tables += table("_varcelctl_dpi_colour_bits", kDpiColourBitNames, [](const LangText& t) { return std::string(t.en); });
    text.replace(at, marker.size(), tables);
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out << text;
    return out ? 0 : 1;
}
