#include "util/debug_log.h"

#include <windows.h>

#include "setup/file_helpers.h"
#include "util/process_info.h"

namespace zelkor {
namespace {

// The log state is process-wide: switched on once by the entry.
struct DebugLogState {
    bool enabled = false;
    Text fileName;
    Text prefix = "   ";
};

DebugLogState& State() {
    static DebugLogState state;
    return state;
}

char LocaleSeparator(LCTYPE type, char fallback) {
    char value[8];
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, type, value, sizeof value) > 1) return value[0];
    return fallback;
}

} // namespace

void SetDebugLogEnabled(bool enabled) {
    State().enabled = enabled;
}

void SetDebugLogPrefix(const Text& prefix) {
    State().prefix = prefix;
}

Text DebugLogFileName() {
    DebugLogState& state = State();
    if (state.fileName.empty()) state.fileName = DebugLogFileNameFor(ProgramPath());
    return state.fileName;
}

void DebugLog(const Text& text) {
    DebugLogState& state = State();
    if (!state.enabled) return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    const LocalDateTime when{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
    AppendFileText(DebugLogFileName(),
                   FormatDebugLogLine(when, LocaleSeparator(LOCALE_SDATE, '/'),
                                      LocaleSeparator(LOCALE_STIME, ':'), CurrentThreadId(),
                                      state.prefix, text),
                   0);
}

} // namespace zelkor
