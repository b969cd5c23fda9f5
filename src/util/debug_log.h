// The debug log: one time-stamped line per call in "X_<program>.log" beside
// the program, written only when the entry switched it on.
#pragma once

#include "util/text.h"

namespace zelkor {

struct LocalDateTime {
    int year, month, day, hour, minute, second;
};

// "dd/mm/yy HH:NN:SS", the thread id padded to 5, the prefix, text, CR LF.
Text FormatDebugLogLine(const LocalDateTime& when, char dateSeparator, char timeSeparator,
                        unsigned long threadId, const Text& prefix, const Text& text);
// The log path for a program path: "X_" in front of the file name unless it
// starts with it, the extension replaced by ".log".
Text DebugLogFileNameFor(const Text& programPath);

// Windows layer.
void SetDebugLogEnabled(bool enabled);
void SetDebugLogPrefix(const Text& prefix);
Text DebugLogFileName();
void DebugLog(const Text& text);

} // namespace zelkor
