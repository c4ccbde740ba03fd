// The per-user and machine-wide folders where the launcher's runs look for the JRE, outside the
// installation, and a guard for what a test puts there.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "support/installation.h"

namespace lumora::testing {

// A value of the installation's own environment (POSIX: its PATH and sandbox folders); empty when
// it sets none.
std::string environmentValue(const Installation& installation, std::string_view name);

// The per-user and the machine-wide application-data folders of the installation's runs: on
// POSIX the installation's sandbox; under Wine the prefix's own, which this program shares.
std::filesystem::path userDataFolder(const Installation& installation);
std::filesystem::path machineDataFolder(const Installation& installation);

// A file or folder that a test puts outside its temporary folder (in the Wine prefix): taken aside
// when the guard is made, so that the test starts without it, and put back as it was, with the
// folders made on its way removed, when the guard goes, however the test ends. On POSIX these lie
// in the sandbox, which goes with the temporary folder anyway. A relative path is left alone.
class PlacedOutside {
 public:
  explicit PlacedOutside(std::filesystem::path path);
  ~PlacedOutside();
  PlacedOutside(const PlacedOutside&) = delete;
  PlacedOutside& operator=(const PlacedOutside&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
  std::optional<std::string> before_;  // the file's bytes before the test
  std::optional<std::filesystem::path> firstMadeFolder_;
};

}  // namespace lumora::testing
