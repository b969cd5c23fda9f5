// Process entry. The stub starts here directly instead of through the C
// runtime's start-up code: it needs none of it (no argv, no stdio, no TLS, no
// imported data), and leaving it out keeps the download several KB smaller.
// The runtime functions the stub calls (malloc, memcpy, ...) come from
// msvcrt.dll, which prepares itself when it is loaded.
#include <windows.h>

#include "environment/localised_strings.h"
#include "stub/process_state.h"
#include "stub/stub_main.h"
#include "util/trace.h"

// The linker lays the static constructors out as -1, the functions, 0.
extern "C" void (*__CTOR_LIST__[])();

// Static objects register their destructors here. The process always ends
// with ExitProcess, which runs no such list, so there is nothing to keep.
extern "C" int atexit(void (*)()) {
    return 0;
}

namespace {

void RunStaticConstructors() {
    int count = 0;
    while (__CTOR_LIST__[count + 1])
        ++count;
    // Last first, as the compiler's own start-up code runs them.
    for (; count > 0; --count)
        __CTOR_LIST__[count]();
}

} // namespace

// Windows enters 32-bit programs with a stack aligned to 4 bytes only.
extern "C" __attribute__((force_align_arg_pointer, noreturn)) void WinMainCRTStartup() {
    RunStaticConstructors();
    zelkor::SetTraceChannel(2);
    zelkor::InitPrimaryLanguageId();
    zelkor::StubMain();
    zelkor::CloseTrace();
    ExitProcess(UINT(zelkor::ExitCode()));
}
