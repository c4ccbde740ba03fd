#include "icon_colour.h"

#include <cstdint>

namespace lumora::boxhelper {
namespace {

// Owners of the GDI objects of one capture.
struct ScreenDc {
  HDC dc = GetDC(nullptr);
  ~ScreenDc() { ReleaseDC(nullptr, dc); }
};
struct MemoryDc {
  HDC dc;
  explicit MemoryDc(HDC like) : dc(CreateCompatibleDC(like)) {}
  ~MemoryDc() { DeleteDC(dc); }
};
struct Bitmap {
  HBITMAP handle = nullptr;
  ~Bitmap() {
    if (handle != nullptr) DeleteObject(handle);
  }
};

// A bright channel well above both others; the information icon's blue shades towards cyan, so
// one of the others may come closer than the other.
bool isStrongly(int main, int other1, int other2) {
  const int nearer = other1 > other2 ? other1 : other2;
  const int farther = other1 > other2 ? other2 : other1;
  return main >= 100 && main >= nearer + 30 && main >= farther + 60;
}

}  // namespace

IconPixels captureIconPixels(HWND icon) {
  IconPixels pixels;
  RECT rect{};
  if (!GetWindowRect(icon, &rect)) return pixels;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return pixels;

  ScreenDc screen;
  MemoryDc memory(screen.dc);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  Bitmap bitmap;
  bitmap.handle = CreateDIBSection(screen.dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap.handle == nullptr || bits == nullptr) return pixels;
  HGDIOBJ previous = SelectObject(memory.dc, bitmap.handle);
  const BOOL copied =
      BitBlt(memory.dc, 0, 0, width, height, screen.dc, rect.left, rect.top, SRCCOPY);
  GdiFlush();
  SelectObject(memory.dc, previous);
  if (!copied) return pixels;

  const auto* bgrx = static_cast<const std::uint8_t*>(bits);
  pixels.total = width * height;
  for (int i = 0; i < pixels.total; ++i) {
    const std::uint8_t b = bgrx[4 * i], g = bgrx[4 * i + 1], r = bgrx[4 * i + 2];
    if (isStrongly(r, g, b)) ++pixels.red;
    if (isStrongly(b, r, g)) ++pixels.blue;
  }
  return pixels;
}

IconKind classifyIcon(const IconPixels& pixels) {
  // An icon covers a good part of its control; a few stray pixels decide nothing.
  const int enough = pixels.total / 10;
  if (pixels.red >= enough && pixels.red > 2 * pixels.blue && pixels.red > 0) {
    return IconKind::kError;
  }
  if (pixels.blue >= enough && pixels.blue > 2 * pixels.red && pixels.blue > 0) {
    return IconKind::kInformation;
  }
  return IconKind::kNone;
}

const char* iconKindName(IconKind kind) {
  switch (kind) {
    case IconKind::kError:
      return "error";
    case IconKind::kInformation:
      return "information";
    case IconKind::kNone:
      break;
  }
  return "none";
}

}  // namespace lumora::boxhelper
