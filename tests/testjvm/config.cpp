#include "config.h"

#include <charconv>

namespace lumora::testjvm {
namespace {

struct CreateValue {
  std::string_view value;
  CreateOutcome outcome;
};

constexpr CreateValue kCreateValues[] = {
    {"succeed", CreateOutcome::kSucceed},
    {"refuse", CreateOutcome::kRefuse},
    {"positive", CreateOutcome::kPositive},
};

struct FlagKey {
  std::string_view key;
  std::string_view value;
  bool Config::*flag;
};

constexpr FlagKey kFlags[] = {
    {"stringclass", "missing", &Config::stringClassMissing},
    {"mainclass", "missing", &Config::mainClassMissing},
    {"mainmethod", "missing", &Config::mainMethodMissing},
    {"newarray", "fail", &Config::newArrayFails},
    {"newstring", "fail", &Config::newStringFails},
    {"main", "throw", &Config::mainThrows},
    {"options", "unrecorded", &Config::optionTextsUnrecorded},
};

struct NumberKey {
  std::string_view key;
  std::uint32_t Config::*number;
};

constexpr NumberKey kNumbers[] = {
    {"main.sleep_ms", &Config::mainSleepMs},
    {"destroy.sleep_ms", &Config::destroySleepMs},
};

std::string_view trim(std::string_view s) {
  constexpr std::string_view kSpace = " \t\r";
  auto first = s.find_first_not_of(kSpace);
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(kSpace) - first + 1);
}

bool applyCreate(Config& config, std::string_view value) {
  for (const auto& v : kCreateValues) {
    if (value == v.value) {
      config.create = v.outcome;
      return true;
    }
  }
  return false;
}

bool applyNumber(std::uint32_t& number, std::string_view value) {
  auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
  return error == std::errc{} && end == value.data() + value.size();
}

bool apply(Config& config, std::string_view key, std::string_view value) {
  if (key == "create") return applyCreate(config, value);
  for (const auto& f : kFlags) {
    if (key == f.key && value == f.value) {
      config.*f.flag = true;
      return true;
    }
  }
  for (const auto& n : kNumbers) {
    if (key == n.key) return applyNumber(config.*n.number, value);
  }
  return false;
}

}  // namespace

std::optional<Config> parseConfig(std::string_view text, std::string* badLine) {
  Config config;
  while (!text.empty()) {
    auto end = text.find('\n');
    std::string_view line = trim(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    if (line.empty() || line.front() == '#') continue;
    auto equals = line.find('=');
    if (equals == std::string_view::npos ||
        !apply(config, trim(line.substr(0, equals)), trim(line.substr(equals + 1)))) {
      *badLine = std::string(line);
      return std::nullopt;
    }
  }
  return config;
}

}  // namespace lumora::testjvm
