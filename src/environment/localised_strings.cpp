#include "environment/localised_strings.h"

#include "package/file_info.h"
#include "util/lists.h"
#include "util/switches.h"

namespace zelkor {

const char* const kLanguageNameTable =
    "|AFRIKAANS    = 54|ALBANIAN     = 28|ARABIC       = 01|BASQUE       = 45"
    "|BELARUSIAN   = 35|BULGARIAN    = 02|CATALAN      = 03|CHINESE      = 04"
    "|CROATIAN     = 26|CZECH        = 05|DANISH       = 06|DUTCH        = 19"
    "|ENGLISH      = 09|ESTONIAN     = 37|FAEROESE     = 56|FARSI        = 41"
    "|FINNISH      = 11|FRENCH       = 12|GERMAN       = 07|GREEK        = 08"
    "|HEBREW       = 13|HUNGARIAN    = 14|ICELANDIC    = 15|INDONESIAN   = 33"
    "|ITALIAN      = 16|JAPANESE     = 17|KOREAN       = 18|LATVIAN      = 38"
    "|LITHUANIAN   = 39|NORWEGIAN    = 20|POLISH       = 21|PORTUGUESE   = 22"
    "|ROMANIAN     = 24|RUSSIAN      = 25|SERBIAN      = 26|SLOVAK       = 27"
    "|SLOVENIAN    = 36|SPANISH      = 10|SWEDISH      = 29|THAI         = 30"
    "|TURKISH      = 31|UKRAINIAN    = 34|VIETNAMESE   = 42|";

namespace {

// Process-wide: the primary language at start, and the item chosen by the
// first lookup ("" not chosen yet, "*" none).
int primaryLanguageId = 9;
Text chosenLanguageItem;

const Text& ChosenLanguageItem(const Text& languageTable) {
    if (chosenLanguageItem.empty()) {
        chosenLanguageItem = FindLangItem(languageTable, GetSysLangName());
        if (chosenLanguageItem == "*") chosenLanguageItem = FindLangItem(languageTable, "English");
    }
    return chosenLanguageItem;
}

int LangInt(const TGFileInfo& info, const char* key, int defaultValue) {
    int64_t value = 0;
    if (!ParseSwitchInt(TrimControl(info.GetLangText(key, "")), value)) return defaultValue;
    return int(value);
}

} // namespace

Text LangIdToName(int id) {
    if (id < 0) return Text();
    const Text digits = PadLeft(IntToText(id), 2, '0');
    for (int i = 0, count = ListItemCount(kLanguageNameTable); i < count; ++i) {
        const Text entry = ListItem(kLanguageNameTable, i, "");
        if (entry.find(digits) != Text::npos) return TrimControl(TextBefore(entry, "="));
    }
    return Text();
}

void SetPrimaryLanguageId(int id) {
    primaryLanguageId = id;
}

int PrimaryLanguageIdFromLocale(uint32_t localeId) {
    if (localeId == 0 || (localeId & 0xFFFF) == 0) return 9;
    return int(localeId & 0x3FF);
}

Text GetSysLangName() {
    return LangIdToName(primaryLanguageId);
}

Text FindLangItem(const Text& languageTable, const Text& name) {
    const Text wanted = UpperCaseAscii(TrimControl(name));
    const int count = ListItemCount(languageTable);
    for (int i = 0; i < count; ++i) {
        const Text item = ListItem(languageTable, i, "");
        if (UpperCaseAscii(TrimControl(ListItem(item, 0, ""))) == wanted) return item;
    }
    if (count == 1) return ListItem(languageTable, 0, "*");
    return "*";
}

void ResetChosenLanguageItem() {
    chosenLanguageItem.clear();
}

Text TGFileInfo::GetLangText(const Text& key, const Text& defaultValue) const {
    const Text& item = ChosenLanguageItem(languageTable_);
    if (item.size() <= 1) return defaultValue;
    return ListValue(item, key, defaultValue);
}

int TGFileInfo::GetLangCharset() const {
    return LangInt(*this, "Charset", 0);
}

int TGFileInfo::GetLangFontSize() const {
    return LangInt(*this, "FontSize", 8);
}

Text TGFileInfo::GetLangFontName() const {
    return GetLangText("FontName", "Tahoma");
}

} // namespace zelkor
