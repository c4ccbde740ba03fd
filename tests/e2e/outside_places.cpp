#include "e2e/outside_places.h"

#include <cstdlib>
#include <system_error>

#include "e2e/launcher_test.h"
#include "support/temp_dir.h"

namespace lumora::testing {
namespace {

std::filesystem::path windowsVariable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

}  // namespace

std::string environmentValue(const Installation& installation, std::string_view name) {
  for (const EnvironmentChange& change : installation.environment()) {
    if (change.name == name) return change.value.value_or("");
  }
  return {};
}

std::filesystem::path userDataFolder(const Installation& installation) {
  if (!isWindowsBuild()) return environmentValue(installation, "XDG_CONFIG_HOME");
  return windowsVariable("APPDATA");
}

std::filesystem::path machineDataFolder(const Installation& installation) {
  if (!isWindowsBuild()) return environmentValue(installation, "XDG_CONFIG_DIRS");
  return windowsVariable("ProgramData");
}

PlacedOutside::PlacedOutside(std::filesystem::path path) : path_(std::move(path)) {
  if (!path_.is_absolute()) return;
  std::error_code error;
  if (std::filesystem::is_regular_file(path_, error)) before_ = readBytes(path_);
  std::filesystem::remove_all(path_, error);
  for (std::filesystem::path folder = path_.parent_path();
       !folder.empty() && folder != folder.root_path() && !std::filesystem::exists(folder, error);
       folder = folder.parent_path()) {
    firstMadeFolder_ = folder;
  }
}

PlacedOutside::~PlacedOutside() {
  if (!path_.is_absolute()) return;
  std::error_code ignored;
  // A test may have taken its permissions away.
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
  if (firstMadeFolder_) std::filesystem::remove_all(*firstMadeFolder_, ignored);
  if (before_) writeFile(path_, *before_);
}

}  // namespace lumora::testing
