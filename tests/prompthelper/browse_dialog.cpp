#include "browse_dialog.h"

#include <commctrl.h>
#include <shlobj.h>

namespace lumora::prompthelper {
namespace {

std::wstring textOf(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, static_cast<int>(std::size(text)));
  return text;
}

std::wstring classOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, static_cast<int>(std::size(name)));
  return name;
}

struct Search {
  const std::wstring& title;
  DWORD processId;
  std::optional<HWND> found;
};

BOOL CALLBACK matchControl(HWND control, LPARAM searchAddress) {
  auto& search = *reinterpret_cast<Search*>(searchAddress);
  if (textOf(control) != search.title) return TRUE;
  search.found = control;
  return FALSE;
}

// The title of SHBrowseForFolder stands in a static control of the dialog; the caption is the
// system's own ("Browse for Folder"). Both are looked at.
bool showsTitle(HWND dialog, const std::wstring& title) {
  if (textOf(dialog) == title) return true;
  Search search{title, 0, std::nullopt};
  EnumChildWindows(dialog, matchControl, reinterpret_cast<LPARAM>(&search));
  return search.found.has_value();
}

BOOL CALLBACK matchDialog(HWND window, LPARAM searchAddress) {
  auto& search = *reinterpret_cast<Search*>(searchAddress);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (search.processId != 0 && owner != search.processId) return TRUE;
  if (!IsWindowVisible(window) || classOf(window) != L"#32770") return TRUE;
  if (!showsTitle(window, search.title)) return TRUE;
  search.found = window;
  return FALSE;
}

// A block of memory in another process; freed with it.
class RemoteMemory {
 public:
  RemoteMemory(HANDLE process, SIZE_T size)
      : process_(process),
        address_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {
  }
  ~RemoteMemory() {
    if (address_ != nullptr) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
  }
  RemoteMemory(const RemoteMemory&) = delete;
  RemoteMemory& operator=(const RemoteMemory&) = delete;
  void* address() const { return address_; }

 private:
  HANDLE process_;
  void* address_;
};

class ProcessHandle {
 public:
  explicit ProcessHandle(HANDLE handle) : handle_(handle) {}
  ~ProcessHandle() {
    if (handle_ != nullptr) CloseHandle(handle_);
  }
  ProcessHandle(const ProcessHandle&) = delete;
  ProcessHandle& operator=(const ProcessHandle&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

HANDLE openOwner(HWND window) {
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  return OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
}

BOOL CALLBACK matchTree(HWND control, LPARAM found) {
  if (classOf(control) != WC_TREEVIEWW) return TRUE;
  *reinterpret_cast<HWND*>(found) = control;
  return FALSE;
}

}  // namespace

std::optional<HWND> findBrowseDialog(const std::wstring& title, DWORD processId) {
  Search search{title, processId, std::nullopt};
  EnumWindows(matchDialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::wstring captionOf(HWND dialog) { return textOf(dialog); }

bool selectPath(HWND dialog, const std::wstring& path) {
  const ProcessHandle process(openOwner(dialog));
  if (process.get() == nullptr) return false;
  const SIZE_T size = (path.size() + 1) * sizeof(wchar_t);
  const RemoteMemory text(process.get(), size);
  if (text.address() == nullptr) return false;
  SIZE_T written = 0;
  if (!WriteProcessMemory(process.get(), text.address(), path.c_str(), size, &written) ||
      written != size) {
    return false;
  }
  // Sent, not posted: the text must outlive the dialog's handling of the message. The result says
  // nothing (the dialog answers 0 whether or not it found the folder).
  SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(text.address()));
  return true;
}

std::optional<std::wstring> selectedFolderName(HWND dialog) {
  HWND tree = nullptr;
  EnumChildWindows(dialog, matchTree, reinterpret_cast<LPARAM>(&tree));
  if (tree == nullptr) return std::nullopt;
  const auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  if (item == nullptr) return std::nullopt;

  // The item record and its text buffer, one after the other in the dialog's process.
  constexpr int kTextUnits = 512;
  const ProcessHandle process(openOwner(dialog));
  if (process.get() == nullptr) return std::nullopt;
  const RemoteMemory remote(process.get(), sizeof(TVITEMW) + kTextUnits * sizeof(wchar_t));
  if (remote.address() == nullptr) return std::nullopt;
  auto* const remoteText =
      reinterpret_cast<wchar_t*>(static_cast<char*>(remote.address()) + sizeof(TVITEMW));
  TVITEMW record{};
  record.mask = TVIF_TEXT;
  record.hItem = item;
  record.pszText = remoteText;
  record.cchTextMax = kTextUnits;
  wchar_t text[kTextUnits] = {};
  if (!WriteProcessMemory(process.get(), remote.address(), &record, sizeof record, nullptr) ||
      !SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote.address())) ||
      !ReadProcessMemory(process.get(), remoteText, text, sizeof text, nullptr)) {
    return std::nullopt;
  }
  text[kTextUnits - 1] = L'\0';
  return std::wstring(text);
}

bool pressButton(HWND dialog, int id, DWORD timeoutMs) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  while (IsWindow(dialog) && IsWindowVisible(dialog)) {
    if (GetTickCount64() > deadline) return false;
    Sleep(25);
  }
  return true;
}

}  // namespace lumora::prompthelper
