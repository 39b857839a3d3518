#include "control/profile.h"

#include "control/image_json.h"

#include "buttons/button_model.h"
#include "keys/key_tables.h"
#include "buttons/labels_file.h"
#include "device/config_store.h"
#include "lang/ui_strings.h"
#include "macros/macro_encoder.h"
#include "macros/macro_entry.h"
#include "macros/macro_page.h"
#include "platform/file_read.h"
#include "platform/ini_file.h"
#include "platform/data_files.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <optional>

namespace varcel {

namespace {

using json = nlohmann::ordered_json;
// A profile is read into the unordered form: the ordered one looks every key
// up one by one, so each member a parse adds costs the whole object again.
using Doc = nlohmann::json;
using Code = ProfileProblemCode;

// The profile's own nesting is five levels; nlohmann's tree and its dump()
// recurse once per level, so a file of a hundred thousand brackets would
// overflow the stack.
constexpr std::size_t kDeepestNesting = 16;

// A str.ini value longer than this is cut when read, so a profile may not hold one.
constexpr std::size_t kLabelLimit = 1023;

// One list or object open while the text is read.
struct JsonLevel {
    std::size_t pathLength; // of the parent's path
    bool array;
    std::size_t index; // of the list's next element
};

// Reads the text into a document in one pass, refusing nesting deeper than
// kDeepestNesting, and says where a text stops being JSON (or holds a number
// too large to read), by JSON path.
class DocumentReader {
public:
    explicit DocumentReader(Doc& doc) : m_dom(doc) {}

    std::optional<ProfileProblem> problem;

    bool null() { return value() && m_dom.null(); }
    bool boolean(bool b) { return value() && m_dom.boolean(b); }
    bool number_integer(Doc::number_integer_t n) { return value() && m_dom.number_integer(n); }
    bool number_unsigned(Doc::number_unsigned_t n) { return value() && m_dom.number_unsigned(n); }
    bool number_float(Doc::number_float_t n, const std::string& s) { return value() && m_dom.number_float(n, s); }
    bool string(std::string& s) { return value() && m_dom.string(s); }
    bool binary(Doc::binary_t& b) { return value() && m_dom.binary(b); }
    bool key(std::string& name)
    {
        m_key = name;
        m_hasKey = true;
        return m_dom.key(name);
    }
    bool start_object(std::size_t n) { return open(false) && m_dom.start_object(n); }
    bool start_array(std::size_t n) { return open(true) && m_dom.start_array(n); }
    bool end_object() { return close() && m_dom.end_object(); }
    bool end_array() { return close() && m_dom.end_array(); }
    bool parse_error(std::size_t, const std::string& token, const nlohmann::detail::exception& e)
    {
        // 406: a number beyond what a double holds, such as 1e400.
        problem = e.id == 406 ? ProfileProblem{m_path + segment(), Code::NumberTooLarge, token}
                              : ProfileProblem{m_path + segment(), Code::NotJson, e.what()};
        return false;
    }

private:
    // The path step of the value that comes next.
    std::string segment() const
    {
        if (m_levels.empty() || (!m_levels.back().array && !m_hasKey))
            return {};
        return m_levels.back().array ? "[" + std::to_string(m_levels.back().index) + "]" : "." + m_key;
    }
    bool value()
    {
        if (!m_levels.empty() && m_levels.back().array)
            ++m_levels.back().index;
        m_hasKey = false;
        return true;
    }
    bool open(bool array)
    {
        const std::size_t parent = m_path.size();
        m_path += segment();
        if (m_levels.size() == kDeepestNesting) {
            problem = ProfileProblem{m_path, Code::TooDeep, {}, {}, kDeepestNesting};
            return false;
        }
        m_levels.push_back({parent, array, 0});
        m_hasKey = false;
        return true;
    }
    bool close()
    {
        m_path.resize(m_levels.back().pathLength);
        m_levels.pop_back();
        return value();
    }

    nlohmann::detail::json_sax_dom_parser<Doc> m_dom;
    std::string m_path = "$";
    std::string m_key;
    bool m_hasKey = false;
    std::vector<JsonLevel> m_levels;
};

// Checks a document against the format and fills a profile, collecting every
// problem with its path.
class Reader {
public:
    explicit Reader(std::vector<ProfileProblem>& problems) : m_problems(problems) {}

    void fail(ProfileProblem problem) { m_problems.push_back(std::move(problem)); }

    // The object at path, its members checked against the names it may have.
    bool object(const Doc& value, const std::string& path, const std::vector<std::string>& known,
                Code unknown = Code::NotProfileField, Code notObject = Code::NotObject)
    {
        if (!value.is_object()) {
            fail({path, notObject});
            return false;
        }
        for (const auto& item : value.items())
            if (std::find(known.begin(), known.end(), item.key()) == known.end())
                fail({path + "." + item.key(), unknown});
        return true;
    }

    // A required member; reports its absence.
    const Doc* member(const Doc& parent, const std::string& path, const char* key)
    {
        if (!parent.is_object() || !parent.contains(key)) {
            fail({path + "." + key, Code::Missing});
            return nullptr;
        }
        return &parent.at(key);
    }

    const Doc* array(const Doc& parent, const std::string& path, const char* key, std::size_t size)
    {
        const Doc* value = member(parent, path, key);
        if (value && (!value->is_array() || value->size() != size)) {
            fail({path + "." + key, Code::NotList, {}, {}, size});
            return nullptr;
        }
        return value;
    }

    std::optional<unsigned> number(const Doc& value, const std::string& path, unsigned lowest, unsigned highest)
    {
        // A whole number past the signed range reads as negative: out of range, as it is.
        const std::int64_t n = value.is_number_integer() ? value.get<std::int64_t>() : -1;
        if (n < lowest || n > highest) {
            fail({path, Code::NotNumber, value.dump(), {}, lowest, highest});
            return std::nullopt;
        }
        return static_cast<unsigned>(n);
    }

    // A number from lowest to highest, kept as its distance from `base`.
    void byteAt(const Doc* value, const std::string& path, std::uint8_t& into, unsigned lowest = 0,
                unsigned highest = 255, unsigned base = 0)
    {
        if (value)
            if (auto n = number(*value, path, lowest, highest))
                into = static_cast<std::uint8_t>(*n - base);
    }

    // "01 02 03": exactly `size` bytes, two hexadecimal digits each.
    void hexAt(const Doc* value, const std::string& where, ConfigImage& image, std::size_t at, std::size_t size)
    {
        if (!value)
            return;
        const std::string text = value->is_string() ? value->get<std::string>() : std::string();
        bool ok = text.size() == 3 * size - 1;
        for (std::size_t i = 0; ok && i < text.size(); ++i)
            ok = i % 3 == 2 ? text[i] == ' ' : std::isxdigit(static_cast<unsigned char>(text[i])) != 0;
        if (!ok)
            return fail({where, Code::NotBytes, {}, {}, size});
        for (std::size_t i = 0; i < size; ++i)
            image[at + i] = static_cast<std::uint8_t>(std::stoul(text.substr(3 * i, 2), nullptr, 16));
    }

    void keyAt(const Doc& value, const std::string& path, ConfigImage& image, std::size_t at)
    {
        if (!value.is_string())
            return byteAt(&value, path, image[at]);
        const std::string name = value.get<std::string>();
        if (const std::uint8_t code = keyCodeOfName(name))
            image[at] = code;
        else
            fail({path, Code::UnknownKey, name});
    }

    void functionAt(const Doc& value, const std::string& path, ConfigImage& image, std::size_t at)
    {
        if (!value.is_string())
            return byteAt(&value, path, image[at], 0, kFunctionKindCount - 1);
        const std::string name = value.get<std::string>();
        std::string known;
        for (int kind = 0; kind < kFunctionKindCount; ++kind) {
            const std::string each = functionName(Language::English, static_cast<FunctionKind>(kind));
            if (name == each) {
                image[at] = static_cast<std::uint8_t>(kind);
                return;
            }
            known += (kind ? ", " : "") + each;
        }
        fail({path, Code::UnknownFunction, name, known});
    }

    // A member that only tells the reader something (a position, a name, a
    // rate in hertz) may be left out; when given it must agree.
    void agrees(const Doc& value, const std::string& path, const Doc& expected)
    {
        if (value != expected)
            fail({path, Code::Disagrees, value.dump(), expected.is_null() ? std::string() : expected.dump()});
    }

private:
    std::vector<ProfileProblem>& m_problems;
};

void readButton(Reader& r, const Doc& b, const std::string& path, Layer layer, std::size_t slot, ConfigImage& image)
{
    std::vector<std::string> names{"button", kDpiSwitchField};
    for (const ButtonField& field : kButtonFields)
        names.push_back(field.name);
    if (!r.object(b, path, names, Code::NotButtonField))
        return;
    if (b.contains("button"))
        r.agrees(b["button"], path + ".button", slot + 1);
    r.byteAt(r.member(b, path, kDpiSwitchField), path + "." + kDpiSwitchField, image[img::dpiSwitch(layer, slot)]);
    for (const ButtonField& field : kButtonFields) {
        const std::size_t at = img::at(layer, field.array, slot);
        const Doc* value = r.member(b, path, field.name);
        if (!value)
            continue;
        const std::string where = path + "." + field.name;
        switch (field.kind) {
        case ButtonFieldKind::Function: r.functionAt(*value, where, image, at); break;
        case ButtonFieldKind::Byte: r.byteAt(value, where, image[at]); break;
        case ButtonFieldKind::Key: r.keyAt(*value, where, image, at); break;
        case ButtonFieldKind::Macro: r.byteAt(value, where, image[at], 1, 256, 1); break;
        }
    }
}

// The members the leaves name directly below `pointer`, each with whether
// one of the leaves below it must be given.
std::map<std::string, bool> childrenOf(const std::vector<JsonLeaf>& leaves, const std::string& pointer)
{
    std::map<std::string, bool> children;
    for (const JsonLeaf& leaf : leaves) {
        if (leaf.pointer.size() <= pointer.size() + 1 || leaf.pointer.compare(0, pointer.size() + 1, pointer + "/") != 0)
            continue;
        const std::string rest = leaf.pointer.substr(pointer.size() + 1);
        const bool required = leaf.kind == JsonLeaf::Kind::Setting || leaf.kind == JsonLeaf::Kind::Bytes;
        children[rest.substr(0, rest.find('/'))] |= required;
    }
    return children;
}

// Checks that the lists and objects on the way to the leaves have the
// members and lengths they need; a list of the wrong length is read no
// further. Returns the pointers not to read under.
void checkShape(Reader& r, const Doc& value, const std::string& pointer, const std::string& path,
                const std::vector<JsonLeaf>& leaves, std::vector<std::string>& unread)
{
    const auto children = childrenOf(leaves, pointer);
    if (children.empty())
        return;
    const bool list = std::isdigit(static_cast<unsigned char>(children.begin()->first[0]));
    if (list ? !value.is_array() || value.size() != children.size() : !value.is_object()) {
        r.fail(list ? ProfileProblem{path, Code::NotList, {}, {}, children.size()}
                    : ProfileProblem{path, Code::NotObject});
        unread.push_back(pointer);
        return;
    }
    if (!list && !pointer.empty()) // the configuration's own members are checked with the buttons'
        for (const auto& item : value.items())
            if (children.count(item.key()) == 0)
                r.fail({path + "." + item.key(), Code::NotProfileField});
    for (const auto& [child, required] : children) {
        const std::string childPath = list ? path + "[" + child + "]" : path + "." + child;
        const Doc* member = list ? &value[std::stoul(child)] : value.contains(child) ? &value.at(child) : nullptr;
        if (member)
            checkShape(r, *member, pointer + "/" + child, childPath, leaves, unread);
        else if (required)
            r.fail({childPath, Code::Missing});
    }
}

// The settings part of the configuration, each member as the catalogue
// says the image keeps it.
void readSettings(Reader& r, const Doc& c, const std::string& path, ConfigImage& image)
{
    const auto leaves = settingLeaves(ImageJsonForm::Profile);
    std::vector<std::string> unread;
    checkShape(r, c, "", path, leaves, unread);
    const auto readable = [&](const JsonLeaf& leaf, const Doc*& value) {
        for (const std::string& under : unread)
            if (leaf.pointer.compare(0, under.size() + 1, under + "/") == 0)
                return false;
        const Doc::json_pointer pointer(leaf.pointer);
        value = c.contains(pointer) ? &c.at(pointer) : nullptr;
        return value != nullptr;
    };
    const auto pathOf = [&](const std::string& pointer) {
        std::string out = path;
        for (std::size_t at = 1; at <= pointer.size();) {
            const std::size_t end = std::min(pointer.find('/', at), pointer.size());
            const std::string token = pointer.substr(at, end - at);
            out += std::isdigit(static_cast<unsigned char>(token[0])) ? "[" + token + "]" : "." + token;
            at = end + 1;
        }
        return out;
    };
    for (const JsonLeaf& leaf : leaves) {
        const Doc* value = nullptr;
        if ((leaf.kind != JsonLeaf::Kind::Setting && leaf.kind != JsonLeaf::Kind::Bytes) || !readable(leaf, value))
            continue;
        const std::string where = pathOf(leaf.pointer);
        if (leaf.kind == JsonLeaf::Kind::Bytes) {
            r.hexAt(value, where, image, leaf.offset, leaf.size);
            continue;
        }
        const SettingForm form = setting(leaf.id).form;
        std::optional<unsigned> code;
        if (form == SettingForm::Colour) {
            const std::string text = value->is_string() ? value->get<std::string>() : std::string();
            const bool ok = text.size() == 7 && text[0] == '#' &&
                            text.find_first_not_of("0123456789abcdefABCDEF", 1) == std::string::npos;
            if (!ok)
                r.fail({where, Code::NotColour});
            else
                code = static_cast<unsigned>(std::stoul(text.substr(1), nullptr, 16));
        } else if (form == SettingForm::Flag && value->is_boolean()) {
            code = value->get<bool>() ? 1 : 0;
        } else if (form == SettingForm::Layer && value->is_string()) {
            if (*value == "A" || *value == "B")
                code = *value == "A" ? 0 : 1;
            else
                r.fail({where, Code::NotLayer});
        } else {
            code = r.number(*value, where, 0, 255);
        }
        if (code)
            setSettingCode(image, leaf.id, leaf.instance, *code);
    }
    // What only tells the reader something must agree with what was read.
    for (const JsonLeaf& leaf : leaves) {
        const Doc* value = nullptr;
        if (leaf.kind == JsonLeaf::Kind::Setting || leaf.kind == JsonLeaf::Kind::Bytes || !readable(leaf, value))
            continue;
        r.agrees(*value, pathOf(leaf.pointer), Doc::parse(leafValue(leaf, image, ImageJsonForm::Profile).dump()));
    }
}

void readConfiguration(Reader& r, const Doc& c, const std::string& path, Profile& profile)
{
    std::vector<std::string> known{"firstRunFlag", "layers", "macroBlocks", "unused"};
    for (const auto& child : childrenOf(settingLeaves(ImageJsonForm::Profile), ""))
        known.push_back(child.first);
    if (!r.object(c, path, known))
        return;
    ConfigImage& image = profile.image;
    r.byteAt(r.member(c, path, "firstRunFlag"), path + ".firstRunFlag", profile.firstRunFlag);
    if (const Doc* layers = r.member(c, path, "layers"); layers && r.object(*layers, path + ".layers", {"A", "B"})) {
        for (Layer layer : {Layer::A, Layer::B}) {
            const std::string lpath = path + ".layers";
            if (const Doc* buttons = r.array(*layers, lpath, layerName(layer), kButtonSlots))
                for (std::size_t slot = 0; slot < kButtonSlots; ++slot)
                    readButton(r, (*buttons)[slot], lpath + "." + layerName(layer) + "[" + std::to_string(slot) + "]",
                               layer, slot, image);
        }
    }

    readSettings(r, c, path, image);

    if (const Doc* blocks = r.array(c, path, "macroBlocks", kMacroCount)) {
        for (std::size_t i = 0; i < kMacroCount; ++i) {
            const std::string bpath = path + ".macroBlocks[" + std::to_string(i) + "]";
            const Doc& b = (*blocks)[i];
            if (!r.object(b, bpath, {"macro", "loopCount", "events"}))
                continue;
            if (b.contains("macro"))
                r.agrees(b["macro"], bpath + ".macro", i + 1);
            if (const Doc* loops = r.member(b, bpath, "loopCount"))
                if (auto n = r.number(*loops, bpath + ".loopCount", 0, 65535))
                    setLoopCount(image, i + 1, static_cast<std::uint16_t>(*n));
            r.hexAt(r.member(b, bpath, "events"), bpath + ".events", image, img::macroBlock(i + 1) + kEventStreamOffset,
                    kEventStreamSize);
        }
    }

    if (const Doc* unused = r.member(c, path, "unused");
        unused && r.object(*unused, path + ".unused", {"0x780", "0x786", "0x793", "0x7A2"}))
        for (const ByteRun& run : kUnusedRuns)
            r.hexAt(r.member(*unused, path + ".unused", run.name), path + ".unused." + run.name, image, run.offset,
                    run.size);
}


void readLabels(Reader& r, const Doc& l, const std::string& path, Profile& profile)
{
    if (!r.object(l, path, {"Setting-CHS", "Setting-CHT", "Setting-EN"}))
        return;
    std::vector<std::string> keys;
    for (std::size_t i = 0; i < kLabelCount; ++i)
        keys.push_back(labelKey(i));
    for (int index = 0; index < kLanguageCount; ++index) {
        const char* section = labelSectionName(languageFromIndex(index));
        const Doc* labels = r.member(l, path, section);
        const std::string spath = path + "." + section;
        if (!labels || !r.object(*labels, spath, keys, Code::NotLabelKey, Code::NotLabels))
            continue;
        for (std::size_t i = 0; i < kLabelCount; ++i) {
            const std::string& key = keys[i];
            const Doc* value = r.member(*labels, spath, key.c_str());
            if (!value)
                continue;
            if (!value->is_string()) {
                r.fail({spath + "." + key, Code::NotText});
                continue;
            }
            std::string text = value->get<std::string>();
            // A control character (ESC, BEL) would reach the terminal of
            // whoever lists the labels.
            const bool control = std::any_of(text.begin(), text.end(), [](char ch) {
                return static_cast<unsigned char>(ch) < 0x20 || ch == '\x7F';
            });
            if (!isStorableIniText(text) || control || characterCount(text) > kLabelLimit)
                r.fail({spath + "." + key, Code::NotLabel, {}, {}, kLabelLimit});
            profile.labels[static_cast<std::size_t>(index)][i] = std::move(text);
        }
    }
}

bool knownMacroKeyName(const std::string& name)
{
    // The key-name service names the backslash and menu keys, which have no code.
    return keyCodeOfName(name) != 0 || name == "\\" || name == "Application";
}

// A macro's entries: lines of text, the key events naming known keys and
// fitting a macro block.
void readEntries(Reader& r, const Doc& entries, const std::string& path, StoredMacro& stored)
{
    if (!entries.is_array())
        return r.fail({path, Code::NotEntryList});
    bool entriesOk = true;
    for (std::size_t k = 0; k < entries.size(); ++k) {
        const std::string epath = path + "[" + std::to_string(k) + "]";
        if (!entries[k].is_string() || !isStorableIniText(entries[k].get<std::string>())) {
            r.fail({epath, Code::NotEntry});
            entriesOk = false;
            continue;
        }
        const std::string text = entries[k].get<std::string>();
        if (isKeyEvent(text) && !knownMacroKeyName(entryKeyName(text))) {
            r.fail({epath, Code::UnknownMacroKey, entryKeyName(text)});
            entriesOk = false;
        }
        stored.entries.push_back(text);
    }
    const MacroFit fit = entriesOk ? measureMacro(stored.entries) : MacroFit{};
    if (!fit.fits())
        r.fail({path, Code::MacroTooLong, {}, {}, static_cast<std::size_t>(fit.eventsThatFit),
                static_cast<std::size_t>(fit.events)});
}

void readMacros(Reader& r, const Doc& m, const std::string& path, Profile& profile)
{
    if (!m.is_array()) {
        r.fail({path, Code::NotMacroList});
        return;
    }
    if (m.size() > kMacroCount)
        r.fail({path, Code::TooManyMacros, {}, {}, m.size(), kMacroCount});
    for (std::size_t i = 0; i < m.size(); ++i) {
        const std::string mpath = path + "[" + std::to_string(i) + "]";
        const Doc& macro = m[i];
        if (!r.object(macro, mpath, {"name", "entries"}))
            continue;
        StoredMacro stored;
        if (const Doc* name = r.member(macro, mpath, "name")) {
            stored.name = name->is_string() ? name->get<std::string>() : std::string();
            if (!name->is_string() || !isStorableMacroName(stored.name) ||
                characterCount(stored.name) > kMacroNameLength)
                r.fail({mpath + ".name", Code::NotMacroName, {}, {}, kMacroNameLength});
            for (const StoredMacro& earlier : profile.macros)
                if (equalsIgnoringCase(earlier.name, stored.name))
                    r.fail({mpath + ".name", Code::NameTaken, stored.name});
        }
        if (const Doc* entries = r.member(macro, mpath, "entries"))
            readEntries(r, *entries, mpath + ".entries", stored);
        profile.macros.push_back(std::move(stored));
    }
}

} // namespace

nlohmann::ordered_json profileToJson(const Profile& profile)
{
    json labels;
    for (int index = 0; index < kLanguageCount; ++index) {
        json section = json::object();
        for (std::size_t i = 0; i < kLabelCount; ++i)
            section[labelKey(i)] = profile.labels[static_cast<std::size_t>(index)][i];
        labels[labelSectionName(languageFromIndex(index))] = section;
    }
    json macros = json::array();
    for (const StoredMacro& macro : profile.macros)
        macros.push_back({{"name", macro.name}, {"entries", macro.entries}});

    json doc;
    doc[kProfileVersionKey] = kProfileVersion;
    doc["configuration"] = imageToJson(profile.image, profile.firstRunFlag, ImageJsonForm::Profile);
    doc["labels"] = labels;
    doc["macros"] = macros;
    return doc;
}

std::string profileText(const Profile& profile, int indent)
{
    return profileToJson(profile).dump(indent, ' ', false, json::error_handler_t::replace);
}

std::vector<std::pair<std::string, std::string>> textsNotUtf8(const Profile& profile)
{
    std::vector<std::pair<std::string, std::string>> out;
    const auto check = [&](const std::string& path, const std::string& text) {
        if (!isValidUtf8(text))
            out.emplace_back(path, text);
    };
    for (int index = 0; index < kLanguageCount; ++index)
        for (std::size_t i = 0; i < kLabelCount; ++i)
            check(std::string("$.labels.") + labelSectionName(languageFromIndex(index)) + "." + labelKey(i),
                  profile.labels[static_cast<std::size_t>(index)][i]);
    for (std::size_t m = 0; m < profile.macros.size(); ++m) {
        const std::string path = "$.macros[" + std::to_string(m) + "]";
        check(path + ".name", profile.macros[m].name);
        for (std::size_t e = 0; e < profile.macros[m].entries.size(); ++e)
            check(path + ".entries[" + std::to_string(e) + "]", profile.macros[m].entries[e]);
    }
    return out;
}

Profile profileFromText(std::string_view text, std::vector<ProfileProblem>& problems)
{
    Profile profile;
    Reader r(problems);
    Doc doc;
    DocumentReader reader(doc);
    if (!Doc::sax_parse(text, &reader)) {
        r.fail(reader.problem.value_or(ProfileProblem{"$", Code::NotJson}));
        return profile;
    }
    if (!r.object(doc, "$", {kProfileVersionKey, "configuration", "labels", "macros"}))
        return profile;
    const Doc* version = r.member(doc, "$", kProfileVersionKey);
    if (version && *version != kProfileVersion) {
        r.fail({std::string("$.") + kProfileVersionKey, Code::OtherVersion, version->dump(), {}, kProfileVersion});
        return profile;
    }
    if (const Doc* c = r.member(doc, "$", "configuration"))
        readConfiguration(r, *c, "$.configuration", profile);
    if (const Doc* l = r.member(doc, "$", "labels"))
        readLabels(r, *l, "$.labels", profile);
    if (const Doc* m = r.member(doc, "$", "macros"))
        readMacros(r, *m, "$.macros", profile);
    return profile;
}

std::optional<Profile> readProfile(const std::filesystem::path& dataDir, Problem& problem)
{
    Profile profile;
    const auto configPath = dataDir / kConfigFileName;
    // A file of the data folder that is there but cannot be read stops the
    // export: taken as empty, it would be exported as empty.
    const FileRead config = readRegularFile(configPath);
    if (config.status == FileRead::Status::Missing)
        problem = Failure{FailureCode::ConfigMissing, dataDir.string(), {}};
    else if (config.status != FileRead::Status::Ok)
        problem = readFailure(configPath, config);
    else if (config.bytes.size() != kConfigFileSize)
        problem = Failure{FailureCode::ConfigNotUsable, configPath.string(), {}};
    if (problem)
        return std::nullopt;
    profile.firstRunFlag = static_cast<std::uint8_t>(config.bytes[0]);
    std::memcpy(profile.image.data(), config.bytes.data() + 1, kImageSize);
    for (int index = 0; index < kLanguageCount; ++index) {
        SkinSettings skin;
        if (const FileResult read = varcel::readLabels(dataDir / kLabelsFileName, languageFromIndex(index),
                                                       profile.labels[static_cast<std::size_t>(index)], skin);
            !read) {
            problem = read.problem;
            return std::nullopt;
        }
    }
    const MacroStore macros(dataDir / kMacroFileName);
    if ((problem = macros.problem()))
        return std::nullopt;
    profile.macros = macros.loadAll();
    return profile;
}

ProfileFiles profileFiles(const std::filesystem::path& dataDir, const Profile& profile)
{
    ProfileFiles files;
    // record.ini holds nothing but the macros, so it is written anew.
    IniFile record;
    for (const StoredMacro& macro : profile.macros) {
        record.setValue(macro.name, MacroStore::kItemCountKey, std::to_string(macro.entries.size()));
        for (std::size_t i = 0; i < macro.entries.size(); ++i)
            record.setValue(macro.name, "Item" + std::to_string(i), macro.entries[i]);
    }
    const auto strIni = dataDir / kLabelsFileName;
    IniRead labelsRead = IniFile::read(strIni);
    if (!labelsRead.mayReplace()) {
        files.problem = labelsRead.problem;
        return files;
    }
    IniFile& labels = labelsRead.file;
    for (int index = 0; index < kLanguageCount; ++index)
        setLabels(labels, languageFromIndex(index), profile.labels[static_cast<std::size_t>(index)]);
    if (record.refused() || labels.refused()) {
        files.problem = Failure{FailureCode::TextNotStorable, (record.refused() ? dataDir / kMacroFileName : strIni).string(), {}};
        return files;
    }
    files.record = record.toBytes();
    files.labels = labels.toBytes();
    files.config.assign(kConfigFileSize, '\0');
    files.config[0] = static_cast<char>(profile.firstRunFlag);
    std::copy(profile.image.begin(), profile.image.end(), files.config.begin() + 1);
    return files;
}

} // namespace varcel
