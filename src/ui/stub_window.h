// The stub's own window: a small progress frame, created hidden, whose
// message loop carries the whole installer run or the whole agent life.
#pragma once

#include <windows.h>

#include "util/text.h"

namespace zelkor {

constexpr UINT wm_ShutDown = 1123;
constexpr UINT wm_LocalMsg = 1124;
constexpr UINT wm_AgentMsg = 1125;

// Registers the instance class, creates the hidden window and runs the
// message loop until the run is over.
void WinMain();

HWND MainWindow();
HWND CaptionLabel();
HWND ProgressBar();
HWND ActivityBar();

void StopSetupTimer();
// Sets the label's reading order, alignment, font and text.
void SetStubCaption(HWND label, const Text& text, const Text& fontName, int fontSize, int charset);
// The stub window's progress callback.
void StubProgress(int mode, int low, int high, int position, int step, const Text& text);

bool IsRightToLeftCharset(int charset);

} // namespace zelkor
