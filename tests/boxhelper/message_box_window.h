// A message box shown by another process: finding it, reading its text and pressing OK.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace lumora::boxhelper {

// The visible top-level message box with the given caption; when `processId` is not 0, only a box
// of that process counts.
std::optional<HWND> findMessageBox(const std::wstring& caption, DWORD processId);

// The text of the box's message (the static control that is not its icon), exactly as shown.
std::wstring messageText(HWND box);

// The box's icon control, if it has one.
std::optional<HWND> iconControl(HWND box);

// Presses OK and waits up to `timeoutMs` for the box to go away; false when it stayed.
bool pressOk(HWND box, DWORD timeoutMs);

}  // namespace lumora::boxhelper
