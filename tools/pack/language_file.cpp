#include "language_file.h"

#include <cstdint>
#include <cstdio>
#include <vector>

#include "environment/localised_strings.h"
#include "file_io.h"
#include "package_builder.h"
#include "util/text.h"

namespace zelkor {
namespace {

// Windows-1252 bytes 0x80-0x9F; 0 where the code page has no character.
const uint16_t kWindows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

struct Section {
    std::string name;
    int line = 0;
    ListItems items;
    std::vector<std::string> keys;
};

bool Fail(std::string* error, int line, const std::string& message) {
    *error = "line " + std::to_string(line) + ": " + message;
    return false;
}

std::string TrimBlanks(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Moves past one UTF-8 sequence; false for a malformed, overlong or
// surrogate one, so that a file in a Windows code page is not taken as UTF-8.
bool DecodeUtf8(const std::string& text, size_t* at, uint32_t* codePoint) {
    const unsigned char lead = static_cast<unsigned char>(text[*at]);
    size_t length = 1;
    uint32_t value = lead;
    uint32_t minimum = 0;
    if (lead >= 0xF0 && lead < 0xF8) {
        length = 4;
        value = lead & 0x07;
        minimum = 0x10000;
    } else if (lead >= 0xE0 && lead < 0xF0) {
        length = 3;
        value = lead & 0x0F;
        minimum = 0x800;
    } else if (lead >= 0xC0 && lead < 0xE0) {
        length = 2;
        value = lead & 0x1F;
        minimum = 0x80;
    } else if (lead >= 0x80) {
        return false;
    }
    if (text.size() - *at < length) return false;
    for (size_t i = 1; i < length; ++i) {
        const unsigned char next = static_cast<unsigned char>(text[*at + i]);
        if ((next & 0xC0) != 0x80) return false;
        value = value << 6 | (next & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
    *at += length;
    *codePoint = value;
    return true;
}

bool IsUtf8BeyondAscii(const std::string& text) {
    bool beyondAscii = false;
    for (size_t at = 0; at < text.size();) {
        uint32_t codePoint = 0;
        if (!DecodeUtf8(text, &at, &codePoint)) return false;
        beyondAscii = beyondAscii || codePoint >= 0x80;
    }
    return beyondAscii;
}

// `line` is known to be valid UTF-8.
bool ToWindows1252(const std::string& line, std::string* converted, std::string* why) {
    std::string out;
    for (size_t at = 0; at < line.size();) {
        uint32_t codePoint = 0;
        DecodeUtf8(line, &at, &codePoint);
        int byte = codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)
                       ? static_cast<int>(codePoint)
                       : -1;
        for (int i = 0; i < 32 && byte < 0; ++i)
            if (kWindows1252High[i] == codePoint) byte = 0x80 + i;
        if (byte < 0) {
            char name[16];
            std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(codePoint));
            *why = std::string(name) +
                   " has no Windows-1252 form; save the file in the code page of the systems "
                   "that show it instead of UTF-8";
            return false;
        }
        out += static_cast<char>(byte);
    }
    *converted = out;
    return true;
}

// Serbian systems share Croatian's identifier and read as Croatian, so a
// name can be in the stub's table and still never be chosen.
bool IsChosenOnSomeSystem(const std::string& name) {
    for (int id = 1; id < 100; ++id)
        if (SameTextTrimmed(LangIdToName(id), name)) return true;
    return false;
}

bool AddEntry(Section& section, int line, const std::string& text, std::string* error) {
    const size_t equals = text.find('=');
    if (equals == std::string::npos)
        return Fail(error, line, "expected [language] or key=value, found '" + text + "'");
    const std::string key = TrimBlanks(text.substr(0, equals));
    // The stub reads "|  text  |" as "  text  ": the bars keep outer blanks.
    const std::string value = StripEnclosing(TrimBlanks(text.substr(equals + 1)), '|', false, true);
    if (key.empty()) return Fail(error, line, "no key before '='");
    for (const std::string& seen : section.keys)
        if (SameTextIgnoreCase(seen, key))
            return Fail(error, line,
                        "key " + key + " appears twice in [" + section.name +
                            "]; the stub would read only the first");
    // One pair of bars is taken off, so a caption list needs a second pair.
    if (SameTextIgnoreCase(key, "BtnText") && (value.size() < 2 || value.front() != value.back()))
        return Fail(error, line,
                    "BtnText must be a list of captions; write it as "
                    "||&OK|&Cancel|&Yes|&No|&Abort|&Retry|&Ignore|| (one pair of bars is "
                    "taken off)");
    section.keys.push_back(key);
    section.items.push_back(key + "=" + value);
    return true;
}

} // namespace

bool ParseLanguageFile(const std::string& text, std::string* table, std::string* error) {
    std::string body = text;
    if (body.compare(0, 3, "\xEF\xBB\xBF") == 0) body.erase(0, 3);
    if (body.compare(0, 2, "\xFF\xFE") == 0 || body.compare(0, 2, "\xFE\xFF") == 0) {
        *error = "UTF-16 text; save the file as UTF-8 or in a Windows code page";
        return false;
    }
    const bool utf8 = IsUtf8BeyondAscii(body);

    std::vector<Section> sections;
    int number = 0;
    for (size_t start = 0; start < body.size();) {
        size_t end = body.find('\n', start);
        if (end == std::string::npos) end = body.size();
        std::string line = body.substr(start, end - start);
        start = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find('\0') != std::string::npos)
            return Fail(error, number, "a NUL byte (is the file text?)");
        std::string why;
        if (utf8 && !ToWindows1252(line, &line, &why)) return Fail(error, number, why);

        line = TrimBlanks(line);
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line[0] == '[') {
            if (line.back() != ']') return Fail(error, number, "a section header needs its ']'");
            Section section;
            section.name = TrimBlanks(line.substr(1, line.size() - 2));
            section.line = number;
            if (section.name.empty()) return Fail(error, number, "empty language name");
            for (const Section& seen : sections)
                if (SameTextIgnoreCase(seen.name, section.name))
                    return Fail(error, number,
                                "[" + section.name + "] again (first at line " +
                                    std::to_string(seen.line) + ")");
            section.items.push_back(section.name);
            sections.push_back(section);
            continue;
        }
        if (sections.empty()) return Fail(error, number, "key=value before the first [language]");
        if (!AddEntry(sections.back(), number, line, error)) return false;
    }
    if (sections.empty()) {
        *error = "no [language] section";
        return false;
    }

    ListItems languageItems;
    for (const Section& section : sections) {
        // A single item is used whatever its name.
        if (sections.size() > 1 && !IsChosenOnSomeSystem(section.name))
            return Fail(error, section.line,
                        "[" + section.name +
                            "] would never be chosen: no system language has that name "
                            "(use the English name of the language, as [French])");
        std::string item;
        if (!BuildList(section.items, &item))
            return Fail(error, section.line,
                        "the texts of [" + section.name + "] use every list delimiter");
        languageItems.push_back(item);
    }
    if (!BuildList(languageItems, table)) {
        *error = "the sections together use every list delimiter";
        return false;
    }
    return true;
}

bool ReadLanguageFile(const std::string& path, std::string* table, std::string* error) {
    std::string text;
    if (!ReadWholeFile(path, &text, error)) return false;
    if (ParseLanguageFile(text, table, error)) return true;
    *error = path + ": " + *error;
    return false;
}

} // namespace zelkor
