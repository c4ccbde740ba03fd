// The shell's folder-browse dialog shown by another process: finding it, making it select a folder
// and pressing its buttons.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace lumora::prompthelper {

// The visible top-level dialog (class "#32770") whose caption or one of whose controls shows
// `title`; when `processId` is not 0, only a dialog of that process counts.
std::optional<HWND> findBrowseDialog(const std::wstring& title, DWORD processId);

// The dialog's caption.
std::wstring captionOf(HWND dialog);

// Makes the dialog select the folder named by `path` (BFFM_SETSELECTIONW). The message carries a
// pointer, so the text is first written into the dialog's own process. False when that fails.
bool selectPath(HWND dialog, const std::wstring& path);

// The name the dialog's folder tree shows for its selected item, if it can be read.
std::optional<std::wstring> selectedFolderName(HWND dialog);

// Presses the button `id` (IDOK, IDCANCEL) and waits up to `timeoutMs` for the dialog to go away;
// false when it stayed.
bool pressButton(HWND dialog, int id, DWORD timeoutMs);

}  // namespace lumora::prompthelper
