// Process entry: the trace channel first, then the run, then the exit code
// that the run left.
#include <windows.h>

#include "environment/localised_strings.h"
#include "stub/process_state.h"
#include "stub/stub_main.h"
#include "util/trace.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    zelkor::SetTraceChannel(2);
    zelkor::InitPrimaryLanguageId();
    zelkor::StubMain();
    zelkor::CloseTrace();
    ExitProcess(UINT(zelkor::ExitCode()));
}
