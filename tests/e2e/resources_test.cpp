// The resources of LumoraHost.exe, read the way Explorer and other tools read them.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "support/process.h"

namespace lumora::testing {
namespace {

std::wstring launcherPath() {
  return (ownExecutableFolder() / executableFileName(u"LumoraHost")).wstring();
}

// The executable's version block.
class VersionBlock {
 public:
  explicit VersionBlock(const std::wstring& path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    data_.resize(size);
    if (size == 0 || !GetFileVersionInfoW(path.c_str(), 0, size, data_.data())) data_.clear();
  }

  bool empty() const { return data_.empty(); }

  const VS_FIXEDFILEINFO* fixed() const {
    return static_cast<const VS_FIXEDFILEINFO*>(query(L"\\", sizeof(VS_FIXEDFILEINFO)));
  }

  // A string of the block's first translation, or nothing.
  std::optional<std::wstring> text(const wchar_t* name) const {
    struct Translation {
      WORD language;
      WORD codePage;
    };
    const auto* translation =
        static_cast<const Translation*>(query(L"\\VarFileInfo\\Translation", sizeof(Translation)));
    if (translation == nullptr) return std::nullopt;
    wchar_t path[64];
    std::swprintf(path, 64, L"\\StringFileInfo\\%04x%04x\\%ls", translation->language,
                  translation->codePage, name);
    const auto* value = static_cast<const wchar_t*>(query(path, sizeof(wchar_t)));
    if (value == nullptr) return std::nullopt;
    return std::wstring(value);
  }

 private:
  const void* query(const wchar_t* path, UINT minimumSize) const {
    void* value = nullptr;
    UINT size = 0;
    if (data_.empty() || !VerQueryValueW(data_.data(), path, &value, &size) || size < minimumSize) {
      return nullptr;
    }
    return value;
  }

  std::vector<BYTE> data_;
};

TEST(LauncherResourcesTest, VersionBlockNamesTheProgramAndItsVersion) {
  const VersionBlock version(launcherPath());
  ASSERT_FALSE(version.empty()) << "no version block";
  const std::pair<const wchar_t*, const wchar_t*> expected[] = {
      {L"FileDescription", L"Lumora Controller"},
      {L"InternalName", L"LumoraHost.exe"},
      {L"OriginalFilename", L"LumoraHost.exe"},
      {L"ProductName", L"Lumora"},
      {L"FileVersion", L"1.0.0.1"},
      {L"ProductVersion", L"1.0.0.1"},
  };
  for (const auto& [name, value] : expected) EXPECT_EQ(version.text(name), value) << name;

  const VS_FIXEDFILEINFO* fixed = version.fixed();
  ASSERT_NE(fixed, nullptr);
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);
}

// The executable loaded as data, for its resources.
class ResourceModule {
 public:
  explicit ResourceModule(const std::wstring& path)
      : module_(LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
  ~ResourceModule() {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  ResourceModule(const ResourceModule&) = delete;
  ResourceModule& operator=(const ResourceModule&) = delete;

  HMODULE get() const { return module_; }

  // The bytes of a resource, empty when it is missing.
  std::string bytes(const wchar_t* type, WORD id) const {
    HRSRC found = FindResourceW(module_, MAKEINTRESOURCEW(id), type);
    HGLOBAL loaded = found != nullptr ? LoadResource(module_, found) : nullptr;
    const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (data == nullptr) return std::string();
    return std::string(static_cast<const char*>(data), SizeofResource(module_, found));
  }

 private:
  HMODULE module_;
};

// An icon group's entry (GRPICONDIRENTRY), as the resource stores it.
#pragma pack(push, 2)
struct IconGroupEntry {
  BYTE width;
  BYTE height;
  BYTE colourCount;
  BYTE reserved;
  WORD planes;
  WORD bitCount;
  DWORD bytesInResource;
  WORD id;
};
#pragma pack(pop)

TEST(LauncherResourcesTest, IconGroupsHoldSixteenToFortyEightPixelIcons) {
  const ResourceModule module(launcherPath());
  ASSERT_NE(module.get(), nullptr);
  for (const WORD group : {109, 129, 131, 132}) {
    SCOPED_TRACE(group);
    const std::string directory = module.bytes(RT_GROUP_ICON, group);
    ASSERT_GE(directory.size(), 6u) << "no icon group";
    WORD header[3];  // reserved, type (1: icons), count
    std::copy_n(directory.data(), sizeof header, reinterpret_cast<char*>(header));
    EXPECT_EQ(header[1], 1);
    ASSERT_EQ(directory.size(), 6 + header[2] * sizeof(IconGroupEntry));
    std::vector<int> widths;
    for (WORD i = 0; i < header[2]; ++i) {
      IconGroupEntry entry;
      std::copy_n(directory.data() + 6 + i * sizeof entry, sizeof entry,
                  reinterpret_cast<char*>(&entry));
      widths.push_back(entry.width);
      EXPECT_EQ(module.bytes(RT_ICON, entry.id).size(), entry.bytesInResource)
          << "icon " << entry.id;
    }
    std::sort(widths.begin(), widths.end());
    EXPECT_EQ(widths, (std::vector<int>{16, 32, 48}));
  }
}

TEST(LauncherResourcesTest, StringsAndManifestArePresent) {
  const ResourceModule module(launcherPath());
  ASSERT_NE(module.get(), nullptr);
  const std::pair<UINT, const wchar_t*> strings[] = {{103, L"LumoraHost"}, {109, L"LUMORAHOST"}};
  for (const auto& [id, text] : strings) {
    wchar_t buffer[64] = {};
    EXPECT_GT(LoadStringW(module.get(), id, buffer, 64), 0) << "string " << id;
    EXPECT_EQ(std::wstring(buffer), text) << "string " << id;
  }
  const std::string manifest = module.bytes(RT_MANIFEST, 1);
  EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos) << manifest;
}

}  // namespace
}  // namespace lumora::testing
