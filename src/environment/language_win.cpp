#include <windows.h>

#include "environment/localised_strings.h"

namespace zelkor {

void InitPrimaryLanguageId() {
    SetPrimaryLanguageId(PrimaryLanguageIdFromLocale(GetThreadLocale()));
}

} // namespace zelkor
