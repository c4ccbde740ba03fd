#include "message_box_window.h"

#include <vector>

namespace lumora::boxhelper {
namespace {

constexpr wchar_t kDialogClass[] = L"#32770";
constexpr int kMessageTextId = 0xFFFF;  // the id a message box gives its text control

std::wstring className(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

std::wstring windowText(HWND window) {
  // WM_GETTEXT, unlike GetWindowTextW, reads a control that belongs to another process.
  const LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  std::vector<wchar_t> text(static_cast<std::size_t>(length) + 1, L'\0');
  const LRESULT copied =
      SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  return std::wstring(text.data(), static_cast<std::size_t>(copied));
}

bool isIcon(HWND control) { return (GetWindowLongW(control, GWL_STYLE) & SS_TYPEMASK) == SS_ICON; }

std::vector<HWND> staticChildren(HWND box) {
  std::vector<HWND> found;
  for (HWND child = FindWindowExW(box, nullptr, L"Static", nullptr); child != nullptr;
       child = FindWindowExW(box, child, L"Static", nullptr)) {
    found.push_back(child);
  }
  return found;
}

struct Search {
  const std::wstring* caption;
  DWORD processId;
  HWND found;
};

BOOL CALLBACK considerWindow(HWND window, LPARAM context) {
  Search& search = *reinterpret_cast<Search*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search.processId || className(window) != kDialogClass) return TRUE;
  if (windowText(window) != *search.caption || !IsWindowVisible(window)) return TRUE;
  search.found = window;
  return FALSE;
}

}  // namespace

std::optional<HWND> findMessageBox(const std::wstring& caption, DWORD processId) {
  if (processId == 0) {
    HWND box = FindWindowW(kDialogClass, caption.c_str());
    // A box becomes visible once it has its text and icon.
    if (box == nullptr || !IsWindowVisible(box)) return std::nullopt;
    return box;
  }
  Search search{&caption, processId, nullptr};
  EnumWindows(considerWindow, reinterpret_cast<LPARAM>(&search));
  if (search.found == nullptr) return std::nullopt;
  return search.found;
}

std::wstring messageText(HWND box) {
  if (HWND text = GetDlgItem(box, kMessageTextId); text != nullptr) return windowText(text);
  for (HWND child : staticChildren(box)) {
    if (!isIcon(child)) return windowText(child);
  }
  return std::wstring();
}

std::optional<HWND> iconControl(HWND box) {
  for (HWND child : staticChildren(box)) {
    if (isIcon(child) && IsWindowVisible(child)) return child;
  }
  return std::nullopt;
}

bool pressOk(HWND box, DWORD timeoutMs) {
  HWND button = GetDlgItem(box, IDOK);
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(button));
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  while (IsWindow(box)) {
    if (GetTickCount64() > deadline) return false;
    Sleep(20);
  }
  return true;
}

}  // namespace lumora::boxhelper
