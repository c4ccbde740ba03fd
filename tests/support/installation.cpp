#include "support/installation.h"

#include <fstream>

namespace lumora::testing {
namespace {

std::string describe(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

::testing::AssertionResult makeFolders(const std::filesystem::path& folder) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    return ::testing::AssertionFailure()
           << "cannot make " << describe(folder) << ": " << error.message();
  }
  return ::testing::AssertionSuccess();
}

}  // namespace

::testing::AssertionResult writeFile(const std::filesystem::path& path, std::string_view bytes) {
  if (::testing::AssertionResult made = makeFolders(path.parent_path()); !made) return made;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) return ::testing::AssertionFailure() << "cannot write " << describe(path);
  return ::testing::AssertionSuccess();
}

Installation::Installation(std::u16string_view folderName)
    : folder_(root_.path() / std::filesystem::path(std::u16string(folderName))) {
  folder_.make_preferred();
  executable_ = folder_ / executableFileName(u"LumoraHost");
  const std::filesystem::path launcher = ownExecutableFolder() / executableFileName(u"LumoraHost");
  std::error_code error;
  std::filesystem::create_directories(folder_, error);
  if (!error) std::filesystem::copy_file(launcher, executable_, error);
  if (error) {
    problem_ = "cannot copy the launcher " + describe(launcher) + " to " + describe(executable_) +
               ": " + error.message();
  }
}

std::filesystem::path Installation::makeFolder(std::u16string_view relative) const {
  std::filesystem::path folder = root() / std::filesystem::path(std::u16string(relative));
  folder.make_preferred();
  std::error_code ignored;  // a missing folder shows in the test that needs it
  std::filesystem::create_directories(folder, ignored);
  return folder;
}

::testing::AssertionResult Installation::addJars(const std::vector<std::u16string>& names) const {
  ::testing::AssertionResult made = makeFolders(folder_ / "lib");
  for (const std::u16string& name : names) {
    if (!made) break;
    made = writeFile(folder_ / "lib" / std::filesystem::path(name), "");
  }
  return made;
}

::testing::AssertionResult Installation::writeJvmOptions(std::string_view bytes) const {
  return writeFile(folder_ / "jvmoptions.cfg", bytes);
}

::testing::AssertionResult Installation::writeJrePath(std::string_view bytes) const {
  return writeFile(folder_ / "jrepath.cfg", bytes);
}

std::filesystem::path Installation::jvmLibraryPath(const std::filesystem::path& jreFolder,
                                                   JvmFlavour flavour) {
  return jreFolder / jvmLibraryInJre(flavour);
}

::testing::AssertionResult Installation::installJvm(const std::filesystem::path& library,
                                                    const std::filesystem::path& jreFolder,
                                                    JvmFlavour flavour) {
  const std::filesystem::path target = jvmLibraryPath(jreFolder, flavour);
  if (::testing::AssertionResult made = makeFolders(target.parent_path()); !made) return made;
  std::error_code error;
  std::filesystem::copy_file(library, target, std::filesystem::copy_options::overwrite_existing,
                             error);
  if (error) {
    return ::testing::AssertionFailure() << "cannot copy " << describe(library) << " to "
                                         << describe(target) << ": " << error.message();
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult Installation::writeTestJvmConfig(const std::filesystem::path& jvmLibrary,
                                                            std::string_view bytes) {
  return writeFile(jvmLibrary.parent_path() / "testjvm.cfg", bytes);
}

std::vector<EnvironmentChange> Installation::environment() const {
  return isolatedEnvironment(root() / "sandbox");
}

}  // namespace lumora::testing
