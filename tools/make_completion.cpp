// Writes varcelctl's bash completion from its template, with the name tables
// (key names, modifiers, multimedia, application and fire keys, the RGB
// effects' parameters) taken from
// the program's own tables, so completion offers what varcelctl accepts.
//
//   make_completion TEMPLATE OUTPUT
#include "buttons/key_page_settings.h"
#include "buttons/key_tables.h"

#include <cstdio>
#include <fstream>
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

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_completion TEMPLATE OUTPUT\n");
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
    std::string tables;
    tables += table("_varcelctl_key_names", kKeyNameTable, [](const KeyNameRow& r) { return std::string(r.name); });
    tables += table("_varcelctl_modifier_names", kModifierTable, [](const ModifierRow& r) { return std::string(r.name); });
    tables += table("_varcelctl_media_names", kMediaRows, [](const MediaRow& r) { return std::string(r.text.en); });
    tables += table("_varcelctl_application_names", kApplicationRows,
                    [](const ApplicationRow& r) { return std::string(r.text.en); });
    tables += table("_varcelctl_fire_key_names", kFireKeyRows, [](const FireKeyRow& r) { return std::string(r.text); });
    for (int mode = 1; mode <= 3; ++mode) {
        const std::string variable = "_varcelctl_rgb_parameters_" + std::to_string(mode);
        tables += table(variable.c_str(), rgbParameterRows(mode), [](const char* row) { return std::string(row); });
    }
    text.replace(at, marker.size(), tables);
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out << text;
    return out ? 0 : 1;
}
