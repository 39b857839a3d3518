// The INI layer: record.ini and str.ini read and written the way the Windows
// private-profile functions do it, so that files carried over from Windows
// load, and files we write load there.
//
// Why not a library: SimpleIni (libsimpleini-dev, the one Debian packages)
// was tried against these rules. It rewrites the whole file on save (CRLF
// becomes LF, blank lines are added between sections, lines without "=" are
// dropped), so untouched lines are not kept byte for byte; it does not strip
// the quotes around a value; and with duplicate section headers it does not
// consistently use the first. The profile format is small, so we keep our own.
//
// What this module does, after the Windows behaviour (platform-facts.md):
// - Sections and keys are found without regard to letter case (Unicode simple
//   case folding, so "É" matches "é"); a file's own spelling is kept.
// - Lines end in CRLF, LF or a lone CR. Each line is trimmed; "[ name ]" is
//   the section "name" (from "[" to the last "]"); "key = value" has its key
//   and value trimmed, and a value wrapped in a pair of the same quote
//   character ('"' or '\'') loses the pair. A line starting with ";" is a
//   comment; "#" is not, and there are no inline comments. A line without "="
//   is kept but is no key. Lines before the first header belong to no section.
// - With duplicate headers, reads and writes use the first section of that
//   name (and the first of duplicate keys); the list of section names holds
//   every header in file order, duplicates included, without a length limit.
// - A key of a missing section is appended at the end of the file as
//   "[Section]" and "key=value", with no blank line before it. A missing key
//   becomes the last line of its section (after its last non-blank line, so a
//   blank line that separates sections stays where it is). Output is
//   "key=value" without spaces; new entries take the caller's spelling,
//   existing ones keep the file's. Lines we do not touch are written back byte
//   for byte, line endings included; new lines take the line ending the file
//   already uses (LF for a new file).
// - Removing a section removes its header and every line under it; like Wine,
//   every section of that name goes, so that a section written afterwards is
//   created anew at the end of the file (the macro store relies on that).
//   Removing a key removes its line; the header of an emptied section stays.
//
// Encoding: everything in memory and everything written is UTF-8. Reading
// accepts UTF-16LE with its byte-order mark (files Windows wrote through the
// wide functions), UTF-8 with or without a byte-order mark (a mark is kept on
// write), and bytes that are not valid UTF-8 as GB18030, the superset of code
// page 936 in which a simplified-Chinese Windows writes these files.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varcel {

// True when the two UTF-8 texts are equal without regard to letter case, the
// comparison the profile functions use for section and key names.
bool equalsIgnoringCase(std::string_view a, std::string_view b);

class IniFile {
public:
    enum class Encoding {
        Utf8,       // also a new or empty file
        Utf8Bom,
        Utf16Le,    // with byte-order mark
        Gb18030,    // bytes that were not valid UTF-8
    };

    IniFile() = default;

    // Decodes a file's bytes (see Encoding).
    static IniFile fromBytes(std::string_view bytes);
    // Reads a file; a missing or unreadable file gives an empty IniFile.
    static IniFile load(const std::filesystem::path& path);

    // The file's text as it is written: UTF-8.
    std::string toBytes() const;
    // Replaces the file atomically (temporary file and rename). Returns 0 or
    // the errno of the step that failed.
    int save(const std::filesystem::path& path) const;

    Encoding sourceEncoding() const { return m_encoding; }

    // Every section header in file order, duplicates included.
    std::vector<std::string> sectionNames() const;
    bool hasSection(std::string_view section) const;
    // The keys of the (first) section, in file order; empty for a missing one.
    std::vector<std::string> keyNames(std::string_view section) const;

    // The trimmed, quote-stripped value, or nothing for a missing key.
    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    // The value, or fallback when the section or key is missing.
    std::string string(std::string_view section, std::string_view key,
                       std::string_view fallback = {}) const;

    // Writes key=value as the profile writer does. Returns whether the text changed.
    bool setValue(std::string_view section, std::string_view key, std::string_view value);
    // Removes the key's line. Returns whether it existed.
    bool removeKey(std::string_view section, std::string_view key);
    // Removes every section of that name with all its lines. Returns whether one existed.
    bool removeSection(std::string_view section);

private:
    enum class LineKind { Other, Blank, Comment, Header, Key };
    struct Line {
        std::string text;   // without its line ending, exactly as in the file
        std::string ending; // "\r\n", "\n", "\r" or "" for a last line without one
        LineKind kind = LineKind::Other;
        std::string name;   // section name of a header, key name of a key line
        std::string value;  // value of a key line
    };

    static Line makeLine(std::string text, std::string ending);
    std::optional<std::size_t> findSection(std::string_view section) const;
    std::size_t sectionEnd(std::size_t header) const; // index of the next header or the end
    std::optional<std::size_t> findKey(std::size_t header, std::string_view key) const;
    std::string newLineEnding() const;

    std::vector<Line> m_lines;
    Encoding m_encoding = Encoding::Utf8;
};

// Private-profile calls, one file operation each: a read loads the file, a
// write loads it, changes it and replaces it atomically (a missing file is
// created). Writes return success; the callers of the design do not check.
std::string readIniString(const std::filesystem::path& path, std::string_view section,
                          std::string_view key, std::string_view fallback = {});
bool writeIniString(const std::filesystem::path& path, std::string_view section,
                    std::string_view key, std::string_view value);
bool deleteIniKey(const std::filesystem::path& path, std::string_view section, std::string_view key);
bool deleteIniSection(const std::filesystem::path& path, std::string_view section);
std::vector<std::string> iniSectionNames(const std::filesystem::path& path);

} // namespace varcel
