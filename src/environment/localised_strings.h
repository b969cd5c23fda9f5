// Language names and the choice of the language item of a package's
// language table.
#pragma once

#include "util/text.h"

namespace zelkor {

// "AFRIKAANS    = 54|..." : names padded to 13, then "= " and the primary
// language identifier in decimal.
extern const char* const kLanguageNameTable;

Text LangIdToName(int primaryLanguageId);
// The primary language identifier is taken once at start (9 until then).
void SetPrimaryLanguageId(int primaryLanguageId);
int PrimaryLanguageIdFromLocale(uint32_t localeId);
Text GetSysLangName();

// The item of the table whose name matches, the only item of a one-item
// table, or the marker "*".
Text FindLangItem(const Text& languageTable, const Text& name);
// Forgets the once-per-process choice (tests only).
void ResetChosenLanguageItem();

// Windows layer: reads the thread locale into the primary language id.
void InitPrimaryLanguageId();

} // namespace zelkor
