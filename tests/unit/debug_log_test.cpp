#include <gtest/gtest.h>

#include "util/debug_log.h"

namespace zelkor {
namespace {

TEST(DebugLogLine, HasTimeStampPaddedThreadIdPrefixAndCrLf) {
    const LocalDateTime when{2007, 12, 9, 8, 33, 5};
    EXPECT_EQ(FormatDebugLogLine(when, '/', ':', 5678, "   ", "hello"),
              "09/12/07 08:33:05  5678   hello\r\n");
    // Regional separators, a long thread id that is not cut, the agent prefix.
    EXPECT_EQ(FormatDebugLogLine(when, '.', '-', 1234567, " X ", ""),
              "09.12.07 08-33-05 1234567 X \r\n");
}

TEST(DebugLogFileName, IsXPrefixedLogBesideTheProgram) {
    const struct {
        const char* program;
        const char* log;
    } cases[] = {
        {"C:\\Dl\\setup.exe", "C:\\Dl\\X_setup.log"},
        {"C:\\Dl\\X_setup.exe", "C:\\Dl\\X_setup.log"},
        {"C:\\Dl\\x_setup.exe", "C:\\Dl\\X_x_setup.log"},
        {"C:\\Dl\\setup", "C:\\Dl\\X_setup.log"},
        {"C:\\Dl\\setup.old.exe", "C:\\Dl\\X_setup.old.log"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DebugLogFileNameFor(c.program), c.log) << c.program;
}

} // namespace
} // namespace zelkor
