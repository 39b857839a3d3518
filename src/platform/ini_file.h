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
//   created anew at the end of the file. Replacing a section's keys keeps it
//   in its place (the macro store relies on that: the place is the macro's
//   number). Removing a key removes its line; the header of an emptied
//   section stays.
//
// Encoding: everything in memory is UTF-8, and every line we write is valid
// UTF-8 (or UTF-16LE in a UTF-16LE file). Reading accepts UTF-16LE with its
// byte-order mark (files Windows wrote through the wide functions), which is
// also how such a file is written back; UTF-8 with or without a byte-order
// mark (a mark is kept); and GB18030, the superset of code page 936 in which a
// simplified-Chinese Windows writes these files. The choice between UTF-8 and
// GB18030 is made line by line: a line that is valid UTF-8 reads as UTF-8, so
// one stray byte in a hand-edited line never turns the Chinese labels of the
// other lines into something else. A line the program does not change is
// written back exactly as it was read, whatever its encoding (a GB18030 line
// stays GB18030; a UTF-16 line keeps a lone surrogate; an odd last byte of a
// UTF-16 file stays the last byte). A line the program changes is written from
// its text: a lone surrogate of a UTF-16 name in it becomes U+FFFD, and a line
// that was neither UTF-8 nor GB18030 is written with the bytes it had.
//
// The layer refuses to write what its syntax cannot carry: a section name,
// key or value holding a line break or NUL, or text that is not valid UTF-8;
// a key holding "=" or starting with ";" or "["; a name with blanks at its
// ends. The refused edit changes nothing, and save() then writes nothing and
// fails with EINVAL, whatever the caller checked. A value that reading would
// change (blanks at its ends, a pair of quotes around it) is written inside
// quotes, which reading takes off, so every value reads back as written.
#pragma once

#include "platform/file_read.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace varcel {

// True when the two UTF-8 texts are equal without regard to letter case, the
// comparison the profile functions use for section and key names.
bool equalsIgnoringCase(std::string_view a, std::string_view b);
// The name in the form under which equalsIgnoringCase finds it (for hashing).
std::string foldedName(std::string_view name);
bool isValidUtf8(std::string_view text);
// Characters that turn the text around them right to left and back (U+202E
// shows "exe.txt" for "txt.exe") or that do not show at all (U+200B, U+2060,
// U+FEFF): two names that look alike would be different names.
bool isHiddenFormatCharacter(char32_t c);
// The text as a terminal may show it: control characters as \n, \r, \t or
// \xNN (C1 controls as \u0080 to \u009F), bytes that are not UTF-8 as \xNN,
// direction controls as \uNNNN. A label or a name from a file then cannot
// move the cursor, ring the bell or turn the rest of the line around.
std::string printableText(std::string_view text);
// Text that a section name, key or value may hold: valid UTF-8 without line
// breaks or NUL.
bool isStorableIniText(std::string_view text);

struct IniRead;

class IniFile {
public:
    enum class Encoding {
        Utf8, // also a new or empty file
        Utf8Bom,
        Utf16Le, // with byte-order mark
        Gb18030, // bytes that were not valid UTF-8
    };
    // A line's ending as read (None: a last line without one).
    enum class Ending : std::uint8_t { None, Lf, CrLf, Cr };

    IniFile() = default;

    // Decodes a file's bytes (see Encoding).
    static IniFile fromBytes(std::string_view bytes);
    // Goes through a file's sections without keeping its lines, for files too
    // large to hold whole: `section` gets each header's name in file order
    // (duplicates included) with the key lines under it, and returns false to
    // stop. What it sees is what an IniFile of the same bytes would read.
    using SectionSink =
        std::function<bool(const std::string& name, std::vector<std::pair<std::string, std::string>>& keys)>;
    static void forEachSection(std::string_view bytes, const SectionSink& section);
    // Reads a file; a missing or unreadable file gives an empty IniFile (for
    // files that are only ever read, like a skin's skin.ini).
    static IniFile load(const std::filesystem::path& path);
    // Reads a file and says whether it was there and readable; a file that is
    // to be changed and written back must be read this way.
    static IniRead read(const std::filesystem::path& path);

    // The file's text as it is written: UTF-8.
    std::string toBytes() const;
    // Replaces the file atomically (temporary file and rename). Returns 0 or
    // the errno of the step that failed; EINVAL when an edit was refused.
    int save(const std::filesystem::path& path) const;
    // An edit was refused (see above): the file must not be saved.
    bool refused() const { return m_refused; }

    Encoding sourceEncoding() const { return m_encoding; }

    // Every section header in file order, duplicates included.
    std::vector<std::string> sectionNames() const;
    bool hasSection(std::string_view section) const;
    // The keys of the (first) section, in file order; empty for a missing one.
    std::vector<std::string> keyNames(std::string_view section) const;

    // Every key line of the (first) section with its value, in file order,
    // duplicates included.
    std::vector<std::pair<std::string, std::string>> keyValues(std::string_view section) const;

    // The trimmed, quote-stripped value, or nothing for a missing key.
    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    // The value, or fallback when the section or key is missing.
    std::string string(std::string_view section, std::string_view key, std::string_view fallback = {}) const;

    // Writes key=value as the profile writer does. Returns whether the text
    // changed. The value the key already holds changes nothing and is never
    // refused, so a line the layer could not write keeps its bytes.
    bool setValue(std::string_view section, std::string_view key, std::string_view value);
    // Removes the key's line. Returns whether it existed.
    bool removeKey(std::string_view section, std::string_view key);
    // Removes every section of that name with all its lines. Returns whether one existed.
    bool removeSection(std::string_view section);
    // Gives the (first) section of that name exactly these keys, in its
    // place: they take the places of its key lines in order, and its
    // comments and other lines stay. A missing section is appended at the
    // end; later sections of the name go. Returns false (changing nothing)
    // when a name or value is refused.
    bool replaceSection(std::string_view section, const std::vector<std::pair<std::string, std::string>>& keys);

private:
    enum class LineKind { Other, Blank, Comment, Header, Key };
    // A record.ini may hold millions of lines: a line keeps its text once,
    // with its name and value as places in it, and its bytes as read only
    // where writing the text back would not give them again.
    struct Line {
        std::string text;                         // without its line ending, decoded to UTF-8
        std::string raw;                          // the bytes as read, ending included, when keepsRaw
        std::uint32_t nameAt = 0, nameSize = 0;   // in text: a header's section name, a key line's key
        std::uint32_t valueAt = 0, valueSize = 0; // in text: a key line's value
        Ending ending = Ending::None;             // None for a last line without one
        LineKind kind = LineKind::Other;
        bool keepsRaw = false;
        std::string_view name() const { return std::string_view(text).substr(nameAt, nameSize); }
        std::string_view value() const { return std::string_view(text).substr(valueAt, valueSize); }
    };

    using LineSink = std::function<bool(std::string_view raw, std::string text, Ending ending)>;
    // Splits the bytes into lines, decodes each and hands it on (until the
    // sink says stop), setting the file's encoding on the way.
    void decodeLines(std::string_view bytes, const LineSink& take);
    static Line makeLine(std::string text, Ending ending);
    void addLine(std::string_view raw, std::string text, Ending ending);
    void setEnding(Line& line, Ending ending) const;
    std::string encode(std::string_view text) const;
    std::optional<std::size_t> findSection(std::string_view section) const;
    std::size_t sectionEnd(std::size_t header) const; // index of the next header or the end
    std::optional<std::size_t> findKey(std::size_t header, std::string_view key) const;
    Ending newLineEnding() const;
    void endLastLine(Ending ending);
    void changed() { m_indexValid = false; }
    bool refuse()
    {
        m_refused = true;
        return false;
    }

    std::vector<Line> m_lines;
    Encoding m_encoding = Encoding::Utf8;
    bool m_utf8Bom = false; // kept on write, also when some lines were GB18030
    std::string m_trailer;  // an odd last byte of a UTF-16 file, kept at the end
    bool m_refused = false;
    // First header line of each folded section name; rebuilt after edits that
    // move lines, so that lookups cost no more than the file's size.
    mutable std::unordered_map<std::string, std::size_t> m_sectionIndex;
    mutable bool m_indexValid = false;
};

struct IniRead {
    IniFile file; // empty unless the file was read
    FileRead::Status status = FileRead::Status::Missing;
    Problem problem; // when the file is there but was not read
    // Read, or missing: an update may write the file.
    bool mayReplace() const { return status == FileRead::Status::Ok || status == FileRead::Status::Missing; }
};

// Private-profile calls, one file operation each: a read loads the file, a
// write loads it, changes it and replaces it atomically (a missing file is
// created; a file that is there but cannot be read is left alone). Writes
// return success.
// Reads the file, lets `edit` change it (returning whether anything changed)
// and writes it back, all under the folder's lock. A file that is there but
// could not be read, or an edit the layer refused, writes nothing; the result
// then names the file and the reason.
FileResult updateIniFile(const std::filesystem::path& path, const std::function<bool(IniFile&)>& edit);

std::string readIniString(const std::filesystem::path& path, std::string_view section, std::string_view key,
                          std::string_view fallback = {});
bool writeIniString(const std::filesystem::path& path, std::string_view section, std::string_view key,
                    std::string_view value);
bool deleteIniKey(const std::filesystem::path& path, std::string_view section, std::string_view key);
bool deleteIniSection(const std::filesystem::path& path, std::string_view section);
std::vector<std::string> iniSectionNames(const std::filesystem::path& path);

} // namespace varcel
