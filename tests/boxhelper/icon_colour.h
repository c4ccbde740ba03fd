// Which icon a message box shows, told by the icon's colours on the screen: an icon handle belongs
// to the process that shows the box, so its pixels are read back from the screen instead.
#pragma once

#include <windows.h>

#include <string>

namespace lumora::boxhelper {

enum class IconKind { kNone, kInformation, kError };

struct IconPixels {
  int total = 0;
  int red = 0;   // strongly red pixels
  int blue = 0;  // strongly blue pixels
};

// Counts the strongly red and strongly blue pixels of the window's rectangle on the screen.
IconPixels captureIconPixels(HWND icon);

// The error icon is mostly red, the information icon mostly blue; anything else is none.
IconKind classifyIcon(const IconPixels& pixels);

const char* iconKindName(IconKind kind);

}  // namespace lumora::boxhelper
