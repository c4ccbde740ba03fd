// A LumoraHost installation laid out in a fresh temporary folder for an end-to-end test: a copy of
// the launcher and, as the test asks, the files and folders it reads beside itself. The folder is
// removed when the installation is destroyed.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "support/process.h"
#include "support/temp_dir.h"

namespace lumora::testing {

class Installation {
 public:
  // Copies the launcher built beside the running test program into `folderName` (which may hold
  // subfolders) inside a new temporary folder.
  explicit Installation(std::u16string_view folderName = u"app");

  // Empty once the installation is in place; otherwise what went wrong.
  const std::string& problem() const { return problem_; }

  // The installation folder, the launcher in it, and the temporary folder around both.
  const std::filesystem::path& folder() const { return folder_; }
  const std::filesystem::path& executable() const { return executable_; }
  const std::filesystem::path& root() const { return root_.path(); }

  // Makes a folder `relative` under the root, outside the installation (a start directory, a JRE
  // elsewhere), and returns its path.
  std::filesystem::path makeFolder(std::u16string_view relative) const;

  // lib/ with an empty file of each name.
  ::testing::AssertionResult addJars(const std::vector<std::u16string>& names) const;
  // jvmoptions.cfg and jrepath.cfg beside the launcher, with exactly these bytes.
  ::testing::AssertionResult writeJvmOptions(std::string_view bytes) const;
  ::testing::AssertionResult writeJrePath(std::string_view bytes) const;

  // The installation's own JRE folder, jre/ beside the launcher.
  std::filesystem::path privateJre() const { return folder_ / "jre"; }

  // Where a JRE folder keeps its client or server JVM library.
  static std::filesystem::path jvmLibraryPath(const std::filesystem::path& jreFolder,
                                              JvmFlavour flavour);

  // Copies `library` (a test JVM library, say) into `jreFolder` as its client or server JVM
  // library, making the folders on the way.
  static ::testing::AssertionResult installJvm(const std::filesystem::path& library,
                                               const std::filesystem::path& jreFolder,
                                               JvmFlavour flavour);

  // Writes testjvm.cfg, the test JVM library's settings, beside the JVM library at `jvmLibrary`.
  static ::testing::AssertionResult writeTestJvmConfig(const std::filesystem::path& jvmLibrary,
                                                       std::string_view bytes);

  // The environment changes for every launcher run of this installation (see
  // isolatedEnvironment); their folders lie under the root.
  std::vector<EnvironmentChange> environment() const;

 private:
  TempDir root_;
  std::filesystem::path folder_;
  std::filesystem::path executable_;
  std::string problem_;
};

// Writes `bytes` to `path`, making the folders on the way.
::testing::AssertionResult writeFile(const std::filesystem::path& path, std::string_view bytes);

}  // namespace lumora::testing
