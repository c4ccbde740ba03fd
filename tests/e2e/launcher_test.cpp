#include "e2e/launcher_test.h"

#include <algorithm>
#include <ctime>

#include "support/process.h"
#include "support/temp_dir.h"

namespace lumora::testing {
namespace {

// What POSIX writes to standard error for these boxes.
std::string asStandardError(const std::vector<ShownBox>& boxes) {
  std::string text;
  for (const ShownBox& box : boxes) {
    for (std::size_t i = 0; i < box.text.size(); ++i) {
      if (box.text.compare(i, 2, "\r\n") != 0) text += box.text[i];
    }
    text += '\n';
  }
  return text;
}

}  // namespace

::testing::AssertionResult showedBoxes(const LaunchResult& result,
                                       const std::vector<ShownBox>& expected) {
  switch (result.boxSource) {
    case BoxSource::kStandardError:
      if (result.standardError == asStandardError(expected)) return ::testing::AssertionSuccess();
      return ::testing::AssertionFailure()
             << "standard error is \"" << result.standardError << "\", expected \""
             << asStandardError(expected) << "\"";
    case BoxSource::kWindows:
      if (result.boxes == expected) return ::testing::AssertionSuccess();
      return ::testing::AssertionFailure()
             << "the boxes were " << ::testing::PrintToString(result.boxes) << ", expected "
             << ::testing::PrintToString(expected) << "\n"
             << result.diagnostics;
    case BoxSource::kUnreadable:
      break;
  }
  return ::testing::AssertionFailure() << "the boxes could not be read";
}

LaunchResult LauncherTest::run(const std::vector<std::u16string>& arguments,
                               const std::filesystem::path& workingDirectory) const {
  LaunchRequest request;
  request.arguments = arguments;
  request.workingDirectory = workingDirectory;
  return runLauncher(install_, request);
}

LaunchResult LoggedLauncherTest::loggedRun(std::vector<std::u16string> arguments) {
  arguments.insert(arguments.begin(), u"-log:run.log");
  start_.folder = loggedFolder(install_.folder());
  start_.notBefore = std::time(nullptr);
  LaunchResult result = run(arguments);
  start_.notAfter = std::time(nullptr);
  return result;
}

std::string LoggedLauncherTest::log() const { return readBytes(startFolder() / "run.log"); }

bool isWindowsBuild() { return messageBoxesAreWindows(); }

std::string utf8(const std::filesystem::path& path) {
  const std::u8string text = std::filesystem::path(path).make_preferred().u8string();
  return std::string(text.begin(), text.end());
}

std::filesystem::path testJvmLibrary() {
  return ownExecutableFolder() / (isWindowsBuild() ? "testjvm.dll" : "libtestjvm.so");
}

std::u16string argumentText(const std::filesystem::path& path) {
  return std::filesystem::path(path).make_preferred().u16string();
}

std::vector<std::pair<std::string, std::string>> folderContent(
    const std::filesystem::path& folder) {
  std::vector<std::pair<std::string, std::string>> entries;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    const std::u8string name = entry.path().filename().u8string();
    entries.emplace_back(std::string(name.begin(), name.end()),
                         entry.is_directory() ? "<folder>" : readBytes(entry.path()));
  }
  std::sort(entries.begin(), entries.end());
  return entries;
}

}  // namespace lumora::testing
