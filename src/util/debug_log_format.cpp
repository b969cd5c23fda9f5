#include "util/debug_log.h"

namespace zelkor {
namespace {

void AppendTwoDigits(Text& out, int value) {
    value %= 100;
    if (value < 0) value = -value;
    out += char('0' + value / 10);
    out += char('0' + value % 10);
}

// "aa?bb?cc" with the given separator.
void AppendThreeFields(Text& out, int first, int second, int third, char separator) {
    AppendTwoDigits(out, first);
    out += separator;
    AppendTwoDigits(out, second);
    out += separator;
    AppendTwoDigits(out, third);
}

} // namespace

Text FormatDebugLogLine(const LocalDateTime& when, char dateSeparator, char timeSeparator,
                        unsigned long threadId, const Text& prefix, const Text& text) {
    Text line;
    AppendThreeFields(line, when.day, when.month, when.year, dateSeparator);
    line += ' ';
    AppendThreeFields(line, when.hour, when.minute, when.second, timeSeparator);
    line += ' ';
    line += PadLeft(UIntToText(threadId), 5, ' ');
    line += prefix;
    line += text;
    line += "\r\n";
    return line;
}

Text DebugLogFileNameFor(const Text& programPath) {
    const size_t slash = programPath.find_last_of("\\/");
    const Text folder = slash == Text::npos ? Text() : programPath.substr(0, slash + 1);
    Text name = slash == Text::npos ? programPath : programPath.substr(slash + 1);
    if (name.compare(0, 2, "X_") != 0) name = "X_" + name;
    const size_t dot = name.rfind('.');
    if (dot != Text::npos) name.erase(dot);
    return folder + name + ".log";
}

} // namespace zelkor
