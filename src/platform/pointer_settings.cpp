#include "platform/pointer_settings.h"

#include "platform/data_dir.h"
#include "platform/ini_file.h"

#include <charconv>
#include <cstdlib>
#include <system_error>

namespace varcel {

namespace {

constexpr const char* kSection = "Pointer";
constexpr const char* kMouseParametersKey = "MouseParameters";
constexpr const char* kSpeedKey = "Speed";
constexpr const char* kLinesKey = "WheelScrollLines";
constexpr const char* kOneScreenKey = "OneScreen";
constexpr const char* kDoubleClickKey = "DoubleClickTime";

// What a fresh desktop has.
constexpr int kDefaultSpeed = 10;
constexpr std::uint32_t kDefaultLines = 3;
constexpr std::uint32_t kDefaultDoubleClick = 500;

// A whole decimal number and nothing else.
template <typename T>
std::optional<T> number(std::string_view text)
{
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

std::string parametersText(const MouseParameters& p)
{
    return std::to_string(p.threshold1) + "," + std::to_string(p.threshold2) + "," + std::to_string(p.acceleration);
}

} // namespace

std::optional<IniFile> StoredPointerSettings::load() const
{
    // A file that is there but cannot be read is neither taken for the
    // defaults nor saved over.
    IniRead read = IniFile::read(m_path);
    if (!read.mayReplace()) {
        m_problem = read.problem;
        return std::nullopt;
    }
    return std::move(read.file);
}

std::optional<std::string> StoredPointerSettings::read(const char* key, const std::string& fallback) const
{
    const auto ini = load();
    return ini ? std::optional(ini->string(kSection, key, fallback)) : std::nullopt;
}

bool StoredPointerSettings::save(const IniFile& ini) const
{
    if (const int error = ini.save(m_path)) {
        m_problem = Failure{FailureCode::FileNotWritten, m_path.string(), {}, error};
        return false;
    }
    return true;
}

bool StoredPointerSettings::write(const char* key, const std::string& value) const
{
    auto ini = load();
    if (!ini)
        return false;
    ini->setValue(kSection, key, value);
    return save(*ini);
}

std::optional<MouseParameters> StoredPointerSettings::mouseParameters()
{
    const auto text = read(kMouseParametersKey, parametersText(kPrecisionOn));
    if (!text)
        return std::nullopt;
    const std::string_view all = *text;
    const auto comma1 = all.find(',');
    const auto comma2 = comma1 == std::string_view::npos ? comma1 : all.find(',', comma1 + 1);
    if (comma2 == std::string_view::npos)
        return std::nullopt;
    const auto t1 = number<int>(all.substr(0, comma1));
    const auto t2 = number<int>(all.substr(comma1 + 1, comma2 - comma1 - 1));
    const auto a = number<int>(all.substr(comma2 + 1));
    if (!t1 || !t2 || !a)
        return std::nullopt;
    return MouseParameters{*t1, *t2, *a};
}

std::optional<int> StoredPointerSettings::speed()
{
    const auto value = number<int>(read(kSpeedKey, std::to_string(kDefaultSpeed)).value_or(""));
    if (!value || *value < kSlowestPointerSpeed || *value > kFastestPointerSpeed)
        return std::nullopt;
    return value;
}

std::optional<std::uint32_t> StoredPointerSettings::wheelScrollLines()
{
    const auto ini = load();
    if (!ini)
        return std::nullopt;
    if (ini->string(kSection, kOneScreenKey) == "1")
        return kWheelPageScroll;
    return number<std::uint32_t>(ini->string(kSection, kLinesKey, std::to_string(kDefaultLines)));
}

std::uint32_t StoredPointerSettings::doubleClickTime()
{
    // 0 for a file that cannot be read, as for a value that is no number.
    return number<std::uint32_t>(read(kDoubleClickKey, std::to_string(kDefaultDoubleClick)).value_or("")).value_or(0);
}

bool StoredPointerSettings::setMouseParameters(const MouseParameters& p)
{
    return write(kMouseParametersKey, parametersText(p));
}

bool StoredPointerSettings::setSpeed(int speed)
{
    if (speed < kSlowestPointerSpeed || speed > kFastestPointerSpeed)
        return false;
    return write(kSpeedKey, std::to_string(speed));
}

bool StoredPointerSettings::setWheelScrollLines(std::uint32_t lines)
{
    // One screen keeps the line count beside it, so unticking the box later
    // finds the lines the user had.
    auto ini = load();
    if (!ini)
        return false;
    ini->setValue(kSection, kOneScreenKey, lines == kWheelPageScroll ? "1" : "0");
    if (lines != kWheelPageScroll)
        ini->setValue(kSection, kLinesKey, std::to_string(lines));
    return save(*ini);
}

bool StoredPointerSettings::setDoubleClickTime(std::uint32_t milliseconds)
{
    return write(kDoubleClickKey, std::to_string(milliseconds));
}

std::filesystem::path kdeGlobalsPath()
{
    const auto config = configHome();
    return config ? *config / "kdeglobals" : std::filesystem::path();
}

namespace {

struct KdeLine {
    std::size_t begin = 0;  // offset of the line in the text
    std::size_t length = 0; // without its ending
    std::size_t ending = 0; // length of "\n", "\r\n" or 0 on a last line without one
};

std::vector<KdeLine> splitLines(std::string_view text)
{
    std::vector<KdeLine> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        const auto lf = text.find('\n', at);
        KdeLine line{at, (lf == std::string_view::npos ? text.size() : lf) - at,
                     lf == std::string_view::npos ? 0u : 1u};
        if (line.ending && line.length > 0 && text[at + line.length - 1] == '\r') {
            --line.length;
            ++line.ending;
        }
        lines.push_back(line);
        at += line.length + line.ending;
    }
    return lines;
}

std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The group a header line opens ("[KDE]" gives "KDE"), or nothing for
// another line. Nested groups keep their brackets ("Libinput][1][2").
std::optional<std::string_view> headerOf(std::string_view line)
{
    line = trimmed(line);
    if (line.size() < 2 || line.front() != '[' || line.back() != ']')
        return std::nullopt;
    return line.substr(1, line.size() - 2);
}

// The key of an entry line, without locale or flags ("Name[de]" is not "Name").
std::optional<std::string_view> keyOf(std::string_view line)
{
    const std::string_view t = trimmed(line);
    if (t.empty() || t.front() == '#' || t.front() == '[')
        return std::nullopt;
    const auto equals = t.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    return trimmed(t.substr(0, equals));
}

struct KdeFind {
    std::optional<std::size_t> lastEntry;   // last entry of the key in the group
    std::optional<std::size_t> insertAfter; // the last entry of the group's last header
};

KdeFind findInGroup(std::string_view text, const std::vector<KdeLine>& lines, std::string_view group,
                    std::string_view key)
{
    KdeFind found;
    bool inGroup = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = text.substr(lines[i].begin, lines[i].length);
        if (const auto header = headerOf(line)) {
            inGroup = *header == group;
            if (inGroup)
                found.insertAfter = i;
            continue;
        }
        if (!inGroup)
            continue;
        if (const auto k = keyOf(line)) {
            found.insertAfter = i;
            if (*k == key)
                found.lastEntry = i;
        }
    }
    return found;
}

} // namespace

std::optional<std::string> kdeConfigValue(std::string_view text, std::string_view group, std::string_view key)
{
    const auto lines = splitLines(text);
    const KdeFind found = findInGroup(text, lines, group, key);
    if (!found.lastEntry)
        return std::nullopt;
    const std::string_view line = trimmed(text.substr(lines[*found.lastEntry].begin, lines[*found.lastEntry].length));
    return std::string(trimmed(line.substr(line.find('=') + 1)));
}

std::string setKdeConfigValue(std::string text, std::string_view group, std::string_view key, std::string_view value)
{
    const std::string entry = std::string(key) + "=" + std::string(value);
    const auto lines = splitLines(text);
    const KdeFind found = findInGroup(text, lines, group, key);
    if (found.lastEntry) {
        const KdeLine& line = lines[*found.lastEntry];
        return text.replace(line.begin, line.length, entry);
    }
    const std::string newline = text.find("\r\n") != std::string::npos ? "\r\n" : "\n";
    if (found.insertAfter) {
        const KdeLine& line = lines[*found.insertAfter];
        if (line.ending == 0)
            return text + newline + entry + newline;
        return text.insert(line.begin + line.length + line.ending, entry + newline);
    }
    if (!text.empty() && text.back() != '\n')
        text += newline;
    if (!text.empty())
        text += newline;
    return text + "[" + std::string(group) + "]" + newline + entry + newline;
}

} // namespace varcel
