#include "platform/ini_file.h"

#include "platform/atomic_file.h"
#include "platform/folder_lock.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iconv.h>
#include <iterator>
#include <locale.h>
#include <wctype.h>

namespace varcel {

namespace {

constexpr std::string_view kWhitespace = " \t\v\f\r\n";

std::string_view trim(std::string_view text)
{
    const auto first = text.find_first_not_of(kWhitespace);
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(kWhitespace);
    return text.substr(first, last - first + 1);
}

// Decodes one UTF-8 sequence at text[i]; returns the code point and advances
// i, or returns -1 (and advances one byte) for a malformed sequence.
long decodeUtf8(std::string_view text, std::size_t& i)
{
    const auto malformed = [&i] {
        ++i;
        return -1L;
    };
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    // The lead byte says the length: 110xxxxx two bytes, 1110xxxx three,
    // 11110xxx four.
    const std::size_t length = (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 0;
    if (length == 0 || i + length > text.size())
        return malformed();
    long cp = lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80)
            return malformed();
        cp = (cp << 6) | (next & 0x3F);
    }
    // A longer form than the code point needs, a surrogate, or a code point
    // past Unicode is no character.
    constexpr long kLeastOfLength[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kLeastOfLength[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return malformed();
    i += length;
    return cp;
}

void appendUtf8(std::string& out, std::uint32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::uint32_t unitAt(std::string_view bytes, std::size_t k)
{
    return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[k])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[k + 1])) << 8;
}

// Whole UTF-16LE units only; a lone surrogate becomes U+FFFD in the text
// (the line's bytes keep it).
std::string utf16LeToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    while (i + 1 < bytes.size()) {
        std::uint32_t cp = unitAt(bytes, i);
        i += 2;
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < bytes.size()) {
            const std::uint32_t low = unitAt(bytes, i);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            } else {
                cp = 0xFFFD;
            }
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        appendUtf8(out, cp);
    }
    return out;
}

std::string utf8ToUtf16Le(std::string_view text)
{
    std::string out;
    out.reserve(text.size() * 2);
    const auto put = [&](std::uint32_t unit) {
        out += static_cast<char>(unit & 0xFF);
        out += static_cast<char>(unit >> 8);
    };
    std::size_t i = 0;
    while (i < text.size()) {
        long cp = decodeUtf8(text, i);
        if (cp < 0)
            cp = 0xFFFD;
        if (cp >= 0x10000) {
            const auto v = static_cast<std::uint32_t>(cp - 0x10000);
            put(0xD800 + (v >> 10));
            put(0xDC00 + (v & 0x3FF));
        } else {
            put(static_cast<std::uint32_t>(cp));
        }
    }
    return out;
}

// GB18030 covers every byte sequence a code page 936 system writes; returns
// nothing when the bytes are not GB18030 either.
std::optional<std::string> gb18030ToUtf8(std::string_view bytes)
{
    iconv_t cd = ::iconv_open("UTF-8", "GB18030");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    std::string in(bytes);
    std::string out(bytes.size() * 4 + 16, '\0');
    char* inPtr = in.data();
    std::size_t inLeft = in.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    const std::size_t result = ::iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    ::iconv_close(cd);
    if (result == static_cast<std::size_t>(-1) || inLeft != 0)
        return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
}

locale_t utf8Locale()
{
    static const locale_t locale = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    return locale;
}

long foldCase(long cp)
{
    if (cp < 0x80)
        return (cp >= 'A' && cp <= 'Z') ? cp + ('a' - 'A') : cp;
    if (const locale_t locale = utf8Locale())
        return static_cast<long>(::towlower_l(static_cast<wint_t>(cp), locale));
    return cp;
}

} // namespace

bool isValidUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        // ASCII runs are most of every file.
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++i;
            continue;
        }
        if (decodeUtf8(text, i) < 0)
            return false;
    }
    return true;
}

bool isStorableIniText(std::string_view text)
{
    return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos && isValidUtf8(text);
}

std::string foldedName(std::string_view name)
{
    std::string out;
    out.reserve(name.size());
    std::size_t i = 0;
    while (i < name.size()) {
        const std::size_t at = i;
        const long cp = decodeUtf8(name, i);
        if (cp < 0) {
            out += name[at];
            continue;
        }
        appendUtf8(out, static_cast<std::uint32_t>(foldCase(cp)));
    }
    return out;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const std::size_t ai = i;
        const std::size_t bj = j;
        const long ca = decodeUtf8(a, i);
        const long cb = decodeUtf8(b, j);
        if (ca < 0 || cb < 0) {
            // Malformed text compares byte for byte.
            if (a[ai] != b[bj])
                return false;
            i = ai + 1;
            j = bj + 1;
            continue;
        }
        if (ca != cb && foldCase(ca) != foldCase(cb))
            return false;
    }
    return i == a.size() && j == b.size();
}

bool isHiddenFormatCharacter(char32_t c)
{
    // The joiners U+200C and U+200D are left out: Persian, the Indic scripts
    // and emoji need them.
    return c == 0xAD || c == 0x61C || c == 0x180E || c == 0x200B || c == 0x200E || c == 0x200F ||
           (c >= 0x202A && c <= 0x202E) || (c >= 0x2060 && c <= 0x206F) || c == 0xFEFF || (c >= 0xFFF9 && c <= 0xFFFB);
}

std::string printableText(std::string_view text)
{
    static const char* const kHex = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t start = i;
        const long cp = decodeUtf8(text, i);
        const auto byte = static_cast<unsigned char>(text[start]);
        if (cp == '\n')
            out += "\\n";
        else if (cp == '\r')
            out += "\\r";
        else if (cp == '\t')
            out += "\\t";
        else if (cp < 0 || cp < 0x20 || cp == 0x7F)
            out += std::string("\\x") + kHex[byte >> 4] + kHex[byte & 0xF];
        else if (cp >= 0x80 && cp <= 0x9F)
            out += std::string("\\u00") + kHex[cp >> 4] + kHex[cp & 0xF];
        else if (isHiddenFormatCharacter(static_cast<char32_t>(cp)))
            out += std::string("\\u") + kHex[(cp >> 12) & 0xF] + kHex[(cp >> 8) & 0xF] + kHex[(cp >> 4) & 0xF] +
                   kHex[cp & 0xF];
        else
            out.append(text.substr(start, i - start));
    }
    return out;
}

namespace {

// Each line ending's text, by its place in IniFile::Ending.
constexpr std::string_view kEndingTexts[] = {"", "\n", "\r\n", "\r"};

std::string_view endingText(IniFile::Ending ending) { return kEndingTexts[static_cast<std::size_t>(ending)]; }

IniFile::Ending endingOf(std::string_view text)
{
    const auto* found = std::find(std::begin(kEndingTexts) + 1, std::end(kEndingTexts), text);
    return found == std::end(kEndingTexts) ? IniFile::Ending::None
                                           : static_cast<IniFile::Ending>(found - std::begin(kEndingTexts));
}

// Where `part`, a view into `whole`, starts, and its size (an empty part may
// point anywhere).
std::pair<std::uint32_t, std::uint32_t> placeIn(std::string_view whole, std::string_view part)
{
    if (part.empty())
        return {0, 0};
    return {static_cast<std::uint32_t>(part.data() - whole.data()), static_cast<std::uint32_t>(part.size())};
}

} // namespace

IniFile::Line IniFile::makeLine(std::string text, Ending ending)
{
    Line line;
    line.text = std::move(text);
    line.ending = ending;
    const std::string_view trimmed = trim(line.text);
    if (trimmed.empty()) {
        line.kind = LineKind::Blank;
        return line;
    }
    if (trimmed.front() == ';') {
        line.kind = LineKind::Comment;
        return line;
    }
    if (trimmed.front() == '[') {
        const auto close = trimmed.rfind(']');
        if (close != std::string_view::npos && close > 0) {
            line.kind = LineKind::Header;
            std::tie(line.nameAt, line.nameSize) = placeIn(line.text, trim(trimmed.substr(1, close - 1)));
            return line;
        }
        // "[" without "]" is no header; like Windows, read it as a key line.
    }
    const auto equals = trimmed.find('=');
    if (equals == std::string_view::npos) {
        line.kind = LineKind::Other;
        return line;
    }
    line.kind = LineKind::Key;
    std::tie(line.nameAt, line.nameSize) = placeIn(line.text, trim(trimmed.substr(0, equals)));
    std::string_view value = trim(trimmed.substr(equals + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    std::tie(line.valueAt, line.valueSize) = placeIn(line.text, value);
    return line;
}

void IniFile::addLine(std::string_view raw, std::string text, Ending ending)
{
    Line line = makeLine(std::move(text), ending);
    const std::string_view end = endingText(ending);
    const bool sameWhenWritten = m_encoding == Encoding::Utf16Le ? raw == encode(line.text) + encode(end)
                                                                 : raw.size() == line.text.size() + end.size() &&
                                                                       raw.substr(0, line.text.size()) == line.text;
    if (!sameWhenWritten) {
        line.raw = std::string(raw);
        line.keepsRaw = true;
    }
    m_lines.push_back(std::move(line));
}

void IniFile::setEnding(Line& line, Ending ending) const
{
    line.ending = ending;
    if (line.keepsRaw)
        line.raw += encode(endingText(ending));
}

void IniFile::decodeLines(std::string_view bytes, const LineSink& take)
{
    IniFile& file = *this;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        file.m_encoding = Encoding::Utf16Le;
        std::string_view units = bytes.substr(2);
        if (units.size() % 2 != 0) {
            file.m_trailer = std::string(units.substr(units.size() - 1));
            units.remove_suffix(1);
        }
        std::size_t start = 0;
        std::size_t i = 0;
        while (i < units.size()) {
            const std::uint32_t unit = unitAt(units, i);
            if (unit != '\r' && unit != '\n') {
                i += 2;
                continue;
            }
            std::size_t next = i + 2;
            Ending ending = unit == '\r' ? Ending::Cr : Ending::Lf;
            if (unit == '\r' && next < units.size() && unitAt(units, next) == '\n') {
                next += 2;
                ending = Ending::CrLf;
            }
            if (!take(units.substr(start, next - start), utf16LeToUtf8(units.substr(start, i - start)), ending))
                return;
            start = i = next;
        }
        if (start < units.size())
            take(units.substr(start), utf16LeToUtf8(units.substr(start)), Ending::None);
        return;
    }

    std::string_view text = bytes;
    if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF") {
        file.m_encoding = Encoding::Utf8Bom;
        file.m_utf8Bom = true;
        text.remove_prefix(3);
    }
    const bool wholeIsUtf8 = isValidUtf8(text);
    std::size_t start = 0;
    while (start < text.size()) {
        const auto stop = text.find_first_of("\r\n", start);
        const std::size_t lineEnd = stop == std::string_view::npos ? text.size() : stop;
        std::size_t next = lineEnd;
        if (stop != std::string_view::npos) {
            ++next;
            if (text[stop] == '\r' && next < text.size() && text[next] == '\n')
                ++next;
        }
        const std::string_view content = text.substr(start, lineEnd - start);
        std::string decoded;
        if (wholeIsUtf8 || isValidUtf8(content)) {
            decoded = std::string(content);
        } else if (auto converted = gb18030ToUtf8(content)) {
            // Only this line is GB18030: the lines around it keep their own
            // reading, so what we wrote in UTF-8 reads back as we wrote it.
            file.m_encoding = Encoding::Gb18030;
            decoded = std::move(*converted);
        } else {
            // Neither: keep the bytes; ASCII names in it still match.
            decoded = std::string(content);
        }
        if (!take(text.substr(start, next - start), std::move(decoded), endingOf(text.substr(lineEnd, next - lineEnd))))
            return;
        start = next;
    }
}

IniFile IniFile::fromBytes(std::string_view bytes)
{
    IniFile file;
    // One allocation for the lines of a large file, not a doubling series.
    file.m_lines.reserve(static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1);
    file.decodeLines(bytes, [&file](std::string_view raw, std::string text, Ending ending) {
        file.addLine(raw, std::move(text), ending);
        return true;
    });
    return file;
}

void IniFile::forEachSection(std::string_view bytes, const SectionSink& section)
{
    IniFile scratch;
    std::optional<std::string> name;
    std::vector<std::pair<std::string, std::string>> keys;
    bool going = true;
    const auto flush = [&] {
        if (name)
            going = section(*name, keys);
        keys.clear();
    };
    scratch.decodeLines(bytes, [&](std::string_view, std::string text, Ending ending) {
        const Line line = makeLine(std::move(text), ending);
        if (line.kind == LineKind::Header) {
            flush();
            name = std::string(line.name());
        } else if (line.kind == LineKind::Key && name) {
            keys.emplace_back(line.name(), line.value());
        }
        return going;
    });
    if (going)
        flush();
}

IniFile IniFile::load(const std::filesystem::path& path) { return read(path).file; }

IniRead IniFile::read(const std::filesystem::path& path)
{
    IniRead result;
    const FileRead bytes = readRegularFile(path);
    result.status = bytes.status;
    if (bytes.ok())
        result.file = fromBytes(bytes.bytes);
    else if (bytes.status != FileRead::Status::Missing)
        result.problem = readFailure(path, bytes);
    return result;
}

std::string IniFile::encode(std::string_view text) const
{
    return m_encoding == Encoding::Utf16Le ? utf8ToUtf16Le(text) : std::string(text);
}

std::string IniFile::toBytes() const
{
    std::string out;
    if (m_utf8Bom)
        out = "\xEF\xBB\xBF";
    else if (m_encoding == Encoding::Utf16Le)
        out = "\xFF\xFE";
    for (const Line& line : m_lines) {
        if (line.keepsRaw) {
            out += line.raw;
        } else {
            out += encode(line.text);
            out += encode(endingText(line.ending));
        }
    }
    out += m_trailer;
    return out;
}

int IniFile::save(const std::filesystem::path& path) const
{
    if (m_refused)
        return EINVAL;
    const std::string bytes = toBytes();
    return replaceFileAtomically(path, bytes.data(), bytes.size());
}

std::vector<std::string> IniFile::sectionNames() const
{
    std::vector<std::string> names;
    for (const Line& line : m_lines)
        if (line.kind == LineKind::Header)
            names.emplace_back(line.name());
    return names;
}

bool IniFile::hasSection(std::string_view section) const { return findSection(section).has_value(); }

std::vector<std::string> IniFile::keyNames(std::string_view section) const
{
    std::vector<std::string> names;
    for (auto& [name, value] : keyValues(section))
        names.push_back(std::move(name));
    return names;
}

std::vector<std::pair<std::string, std::string>> IniFile::keyValues(std::string_view section) const
{
    std::vector<std::pair<std::string, std::string>> keys;
    const auto header = findSection(section);
    if (!header)
        return keys;
    const std::size_t end = sectionEnd(*header);
    for (std::size_t i = *header + 1; i < end; ++i)
        if (m_lines[i].kind == LineKind::Key)
            keys.emplace_back(m_lines[i].name(), m_lines[i].value());
    return keys;
}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const
{
    const auto header = findSection(section);
    if (!header)
        return std::nullopt;
    const auto line = findKey(*header, key);
    if (!line)
        return std::nullopt;
    return std::string(m_lines[*line].value());
}

std::string IniFile::string(std::string_view section, std::string_view key, std::string_view fallback) const
{
    if (auto found = value(section, key))
        return std::move(*found);
    return std::string(fallback);
}

void IniFile::endLastLine(Ending ending)
{
    if (!m_lines.empty() && m_lines.back().ending == Ending::None)
        setEnding(m_lines.back(), ending);
}

namespace {

// A key that reads back as itself: no "=", not taken for a comment or a
// header, no blanks at its ends (they are trimmed on reading).
bool storableKey(std::string_view key)
{
    return isStorableIniText(key) && key.find('=') == std::string_view::npos && trim(key) == key &&
           (key.empty() || (key.front() != ';' && key.front() != '['));
}

bool storableSection(std::string_view section) { return isStorableIniText(section) && trim(section) == section; }

// The value as written: one that reading would change (blanks at its ends,
// or a pair of quotes around it, which reading strips) goes inside quotes,
// which reading takes off again.
std::string writtenValue(std::string_view value)
{
    const bool quoted =
        value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front();
    if (quoted || trim(value) != value)
        return "\"" + std::string(value) + "\"";
    return std::string(value);
}

} // namespace

bool IniFile::setValue(std::string_view section, std::string_view key, std::string_view value)
{
    // A value written back as the file holds it changes nothing, so a line
    // the layer could not write (a stray byte in a hand-edited label) keeps
    // its bytes instead of blocking the save of every other line.
    const auto header = findSection(section);
    if (header)
        if (const auto line = findKey(*header, key); line && m_lines[*line].value() == value)
            return false;
    if (!storableSection(section) || !storableKey(key) || !isStorableIniText(value))
        return refuse();
    if (!header)
        return replaceSection(section, {{std::string(key), std::string(value)}});
    const Ending ending = newLineEnding();
    if (const auto line = findKey(*header, key)) {
        Line& existing = m_lines[*line];
        if (existing.value() == value)
            return false;
        existing = makeLine(std::string(existing.name()) + "=" + writtenValue(value), existing.ending);
        return true;
    }
    // After the section's last non-blank line, so a blank line separating it
    // from the next section stays below the new key.
    std::size_t last = *header;
    const std::size_t end = sectionEnd(*header);
    for (std::size_t i = *header + 1; i < end; ++i)
        if (m_lines[i].kind != LineKind::Blank)
            last = i;
    if (m_lines[last].ending == Ending::None)
        setEnding(m_lines[last], ending);
    if (last + 1 != m_lines.size())
        changed();
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(last + 1),
                   makeLine(std::string(key) + "=" + writtenValue(value), ending));
    return true;
}

bool IniFile::removeKey(std::string_view section, std::string_view key)
{
    const auto header = findSection(section);
    if (!header)
        return false;
    const auto line = findKey(*header, key);
    if (!line)
        return false;
    m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(*line));
    changed();
    return true;
}

bool IniFile::removeSection(std::string_view section)
{
    if (!findSection(section))
        return false;
    const std::string folded = foldedName(section);
    std::vector<Line> kept;
    kept.reserve(m_lines.size());
    bool inRemoved = false;
    for (Line& line : m_lines) {
        if (line.kind == LineKind::Header)
            inRemoved = line.name() == section || foldedName(line.name()) == folded;
        if (!inRemoved)
            kept.push_back(std::move(line));
    }
    m_lines = std::move(kept);
    changed();
    return true;
}

bool IniFile::replaceSection(std::string_view section, const std::vector<std::pair<std::string, std::string>>& keys)
{
    if (!storableSection(section))
        return refuse();
    for (const auto& [key, value] : keys)
        if (!storableKey(key) || !isStorableIniText(value))
            return refuse();
    const Ending ending = newLineEnding();
    const auto header = findSection(section);
    if (!header) {
        endLastLine(ending);
        if (m_indexValid)
            m_sectionIndex.emplace(foldedName(section), m_lines.size());
        m_lines.reserve(m_lines.size() + keys.size() + 1);
        m_lines.push_back(makeLine("[" + std::string(section) + "]", ending));
        for (const auto& [key, value] : keys)
            m_lines.push_back(makeLine(key + "=" + writtenValue(value), ending));
        return true;
    }
    // The section stays where it is (its place is the macro's number): the
    // new keys take the places of its key lines in order, the rest go after
    // the last of them, and its comments and other lines stay as they were.
    const std::size_t end = sectionEnd(*header);
    std::vector<Line> lines;
    lines.reserve(m_lines.size() + keys.size());
    for (std::size_t i = 0; i <= *header; ++i)
        lines.push_back(std::move(m_lines[i]));
    if (Line& head = lines.back(); head.ending == Ending::None)
        setEnding(head, ending);
    std::size_t next = 0;
    std::size_t afterKeys = lines.size();
    for (std::size_t i = *header + 1; i < end; ++i) {
        if (m_lines[i].kind != LineKind::Key) {
            lines.push_back(std::move(m_lines[i]));
            continue;
        }
        if (next == keys.size())
            continue; // an item of a longer earlier version
        lines.push_back(makeLine(keys[next].first + "=" + writtenValue(keys[next].second), ending));
        ++next;
        afterKeys = lines.size();
    }
    if (next < keys.size() && afterKeys == lines.size() && lines.back().ending == Ending::None)
        setEnding(lines.back(), ending);
    std::vector<Line> rest;
    for (; next < keys.size(); ++next)
        rest.push_back(makeLine(keys[next].first + "=" + writtenValue(keys[next].second), ending));
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(afterKeys), std::make_move_iterator(rest.begin()),
                 std::make_move_iterator(rest.end()));
    // Later sections of the same name could never be read; they go, as a
    // removal takes them.
    const std::string folded = foldedName(section);
    bool inDuplicate = false;
    for (std::size_t i = end; i < m_lines.size(); ++i) {
        if (m_lines[i].kind == LineKind::Header)
            inDuplicate = foldedName(m_lines[i].name()) == folded;
        if (!inDuplicate)
            lines.push_back(std::move(m_lines[i]));
    }
    m_lines = std::move(lines);
    changed();
    return true;
}

std::optional<std::size_t> IniFile::findSection(std::string_view section) const
{
    if (!m_indexValid) {
        m_sectionIndex.clear();
        for (std::size_t i = 0; i < m_lines.size(); ++i)
            if (m_lines[i].kind == LineKind::Header)
                m_sectionIndex.emplace(foldedName(m_lines[i].name()), i);
        m_indexValid = true;
    }
    const auto found = m_sectionIndex.find(foldedName(section));
    if (found == m_sectionIndex.end())
        return std::nullopt;
    return found->second;
}

std::size_t IniFile::sectionEnd(std::size_t header) const
{
    std::size_t i = header + 1;
    while (i < m_lines.size() && m_lines[i].kind != LineKind::Header)
        ++i;
    return i;
}

std::optional<std::size_t> IniFile::findKey(std::size_t header, std::string_view key) const
{
    const std::size_t end = sectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i)
        if (m_lines[i].kind == LineKind::Key && equalsIgnoringCase(m_lines[i].name(), key))
            return i;
    return std::nullopt;
}

IniFile::Ending IniFile::newLineEnding() const
{
    for (const Line& line : m_lines)
        if (line.ending != Ending::None)
            return line.ending;
    return Ending::Lf;
}

std::string readIniString(const std::filesystem::path& path, std::string_view section, std::string_view key,
                          std::string_view fallback)
{
    return IniFile::load(path).string(section, key, fallback);
}

FileResult updateIniFile(const std::filesystem::path& path, const std::function<bool(IniFile&)>& edit)
{
    FolderLock lock(path.parent_path());
    if (!lock.held())
        return {lockFailure(lock, path.parent_path())};
    IniRead read = IniFile::read(path);
    if (!read.mayReplace())
        return {read.problem};
    const bool changed = edit(read.file);
    if (read.file.refused())
        return {Failure{FailureCode::TextNotStorable, path.string(), {}}};
    if (!changed)
        return {};
    if (const int error = read.file.save(path))
        return {Failure{FailureCode::FileNotWritten, path.string(), {}, error}};
    return {};
}

bool writeIniString(const std::filesystem::path& path, std::string_view section, std::string_view key,
                    std::string_view value)
{
    std::error_code ec;
    const bool exists = std::filesystem::exists(path, ec);
    return static_cast<bool>(
        updateIniFile(path, [&](IniFile& file) { return file.setValue(section, key, value) || !exists; }));
}

bool deleteIniKey(const std::filesystem::path& path, std::string_view section, std::string_view key)
{
    return static_cast<bool>(updateIniFile(path, [&](IniFile& file) { return file.removeKey(section, key); }));
}

bool deleteIniSection(const std::filesystem::path& path, std::string_view section)
{
    return static_cast<bool>(updateIniFile(path, [&](IniFile& file) { return file.removeSection(section); }));
}

std::vector<std::string> iniSectionNames(const std::filesystem::path& path)
{
    return IniFile::load(path).sectionNames();
}

} // namespace varcel
