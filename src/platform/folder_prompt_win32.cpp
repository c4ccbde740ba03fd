// The folder prompt on Windows: the shell's folder-browse dialog.
#include <objbase.h>
#include <shlobj.h>

#include "platform/os.h"
#include "platform/win32_util.h"

namespace lumora::os {
namespace {

// Owns the item list that the dialog returns.
class ItemList {
 public:
  explicit ItemList(PIDLIST_ABSOLUTE items) : items_(items) {}
  ItemList(const ItemList&) = delete;
  ItemList& operator=(const ItemList&) = delete;
  ~ItemList() { CoTaskMemFree(items_); }
  explicit operator bool() const { return items_ != nullptr; }
  PCIDLIST_ABSOLUTE get() const { return items_; }

 private:
  PIDLIST_ABSOLUTE items_;
};

}  // namespace

FolderChoice browseForFolder(std::u16string_view title) {
  const std::u16string titleText(title);
  // No owner, no root, no callback: the dialog starts at the desktop and checks nothing.
  BROWSEINFOW request{};
  request.lpszTitle = win32::wide(titleText);
  request.ulFlags = BIF_NEWDIALOGSTYLE;
  const ItemList items(SHBrowseForFolderW(&request));
  if (!items) return {};

  FolderChoice choice;
  choice.itemChosen = true;
  wchar_t path[MAX_PATH] = {};
  if (SHGetPathFromIDListW(items.get(), path)) {
    choice.path = std::u16string(reinterpret_cast<const char16_t*>(path));
  }
  return choice;
}

}  // namespace lumora::os
