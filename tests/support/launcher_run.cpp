#include "support/launcher_run.h"

#include <cstdlib>
#include <sstream>

namespace lumora::testing {
namespace {

constexpr std::chrono::seconds kHelperGrace{15};  // how long the helper may outlive the launcher
constexpr int kMostBoxes = 64;                    // more than any run shows
constexpr int kWrappedSlowdown = 20;              // how much longer a wrapped launcher may take

bool isBlank(char16_t c) { return c == u' ' || c == u'\t'; }

const char* iconName(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::kError:
      return "error";
    case BoxIcon::kInformation:
      return "information";
    case BoxIcon::kNone:
      break;
  }
  return "none";
}

std::string unescaped(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    const char next = text[++i];
    out += next == 'r' ? '\r' : next == 'n' ? '\n' : next;
  }
  return out;
}

// The helper's lines "box icon=<kind> text=<escaped text>"; other lines ("nobox") are passed over.
std::vector<ShownBox> parseBoxes(const std::string& report) {
  static constexpr std::string_view kIcon = "box icon=";
  static constexpr std::string_view kText = " text=";
  std::vector<ShownBox> boxes;
  std::istringstream lines(report);
  for (std::string line; std::getline(lines, line);) {
    if (!line.starts_with(kIcon)) continue;
    const std::size_t text = line.find(kText);
    if (text == std::string::npos) continue;
    const std::string icon = line.substr(kIcon.size(), text - kIcon.size());
    ShownBox box;
    box.icon = icon == "error"         ? BoxIcon::kError
               : icon == "information" ? BoxIcon::kInformation
                                       : BoxIcon::kNone;
    box.text = unescaped(std::string_view(line).substr(text + kText.size()));
    boxes.push_back(std::move(box));
  }
  return boxes;
}

// The words of LUMORA_E2E_LAUNCHER_WRAPPER (POSIX only); empty when it is not set.
std::vector<std::u16string> launcherWrapper() {
  if (messageBoxesAreWindows()) return {};
  const char* value = std::getenv("LUMORA_E2E_LAUNCHER_WRAPPER");
  if (value == nullptr) return {};
  return argumentsOf(std::filesystem::path(value).u16string());
}

ProcessOptions launcherOptions(const Installation& installation, const LaunchRequest& request) {
  ProcessOptions options;
  options.program = installation.executable();
  if (messageBoxesAreWindows()) {
    options.commandTail = request.tail ? *request.tail : tailOf(request.arguments);
  } else {
    options.arguments = request.tail ? argumentsOf(*request.tail) : request.arguments;
    if (std::vector<std::u16string> wrapper = launcherWrapper(); !wrapper.empty()) {
      options.arguments.insert(options.arguments.begin(), options.program.u16string());
      options.arguments.insert(options.arguments.begin(), wrapper.begin() + 1, wrapper.end());
      options.program = std::filesystem::path(wrapper.front());
    }
  }
  options.identity = request.identity;
  options.workingDirectory = request.workingDirectory.empty() ? installation.makeFolder(u"start")
                                                              : request.workingDirectory;
  options.environment = installation.environment();
  options.environment.insert(options.environment.end(), request.environment.begin(),
                             request.environment.end());
  return options;
}

std::u16string ascii(const std::string& text) { return std::u16string(text.begin(), text.end()); }

// A helper program beside this one that watches the launcher's windows, with the arguments every
// helper takes.
ProcessOptions helperOptions(std::u16string_view name, const Process& launcher,
                             std::chrono::seconds limit) {
  ProcessOptions options;
  options.program = ownExecutableFolder() / executableFileName(name);
  options.arguments = {u"--pid", ascii(std::to_string(launcher.id())), u"--timeout",
                       ascii(std::to_string(limit.count()))};
  return options;
}

// Starts lumora_boxhelper on the launcher's boxes; it ends soon after the launcher does.
std::optional<Process> startBoxHelper(const Process& launcher, std::chrono::seconds limit,
                                      std::string* error) {
  ProcessOptions options = helperOptions(u"lumora_boxhelper", launcher, limit);
  options.arguments.insert(options.arguments.end(),
                           {u"--count", ascii(std::to_string(kMostBoxes))});
  return Process::start(options, error);
}

// Starts lumora_prompthelper to answer the launcher's JRE folder prompt, if it comes, with
// `choice` (nothing cancels).
std::optional<Process> startPromptHelper(const Process& launcher, std::chrono::seconds limit,
                                         const std::optional<std::filesystem::path>& choice,
                                         std::string* error) {
  ProcessOptions options = helperOptions(u"lumora_prompthelper", launcher, limit);
  if (choice) {
    options.arguments.insert(options.arguments.end(), {u"--choose", choice->u16string()});
  } else {
    options.arguments.push_back(u"--cancel");
  }
  return Process::start(options, error);
}

// Answers the prompts before the last one, one helper after the other: each helper ends once its
// dialog has closed, and the next one then waits for the dialog that comes back. False when one
// of them found no dialog or could not answer it.
bool answerEarlierPrompts(const Process& launcher, const LaunchRequest& request,
                          LaunchResult& result) {
  for (const std::filesystem::path& choice : request.earlierFolderPromptChoices) {
    std::optional<Process> helper =
        startPromptHelper(launcher, request.timeLimit, choice, &result.diagnostics);
    if (!helper) return false;
    const ProcessOutcome outcome = helper->wait(request.timeLimit + kHelperGrace);
    result.diagnostics += "folder prompt: " + outcome.standardOutput + outcome.standardError;
    if (!outcome.exited || outcome.exitCode != 0) return false;
  }
  return true;
}

// The prompt helper has done its part once the launcher has ended: it answered the prompt, or
// no prompt came and it is still waiting.
void stopPromptHelper(Process& helper, LaunchResult& result) {
  const ProcessOutcome outcome = helper.wait(std::chrono::milliseconds(0));
  if (!outcome.standardOutput.empty()) {
    result.diagnostics += "folder prompt: " + outcome.standardOutput;
  }
  result.diagnostics += outcome.standardError;
}

void readBoxes(Process& helper, std::chrono::seconds limit, LaunchResult& result) {
  const ProcessOutcome outcome = helper.wait(limit + kHelperGrace);
  result.boxes = parseBoxes(outcome.standardOutput);
  result.diagnostics += outcome.standardError;
  if (!outcome.exited) {
    result.diagnostics += "the box helper did not end\n";
  } else if (outcome.exitCode != 0 && outcome.exitCode != 3) {
    result.diagnostics +=
        "the box helper failed with exit code " + std::to_string(outcome.exitCode) + "\n";
  }
}

}  // namespace

void PrintTo(const ShownBox& box, std::ostream* out) {
  *out << "{icon=" << iconName(box.icon) << " text=\"";
  for (char c : box.text) {
    *out << (c == '\r' ? "\\r" : c == '\n' ? "\\n" : std::string(1, c));
  }
  *out << "\"}";
}

void PrintTo(const LaunchResult& result, std::ostream* out) {
  *out << (result.finished ? "finished" : "did not finish") << ", exit code " << result.exitCode
       << ", boxes";
  for (const ShownBox& box : result.boxes) {
    *out << " ";
    PrintTo(box, out);
  }
  *out << ", standard error \"" << result.standardError << "\"";
  if (!result.diagnostics.empty()) *out << ", " << result.diagnostics;
}

LaunchResult runLauncher(const Installation& installation, const LaunchRequest& request) {
  LaunchResult result;
  if (!installation.problem().empty()) {
    result.diagnostics = installation.problem();
    return result;
  }
  result.boxSource = !messageBoxesAreWindows() ? BoxSource::kStandardError
                     : windowsCanBeShown()     ? BoxSource::kWindows
                                               : BoxSource::kUnreadable;
  LaunchRequest limited = request;
  if (!launcherWrapper().empty()) limited.timeLimit *= kWrappedSlowdown;
  std::optional<Process> launcher =
      Process::start(launcherOptions(installation, limited), &result.diagnostics);
  if (!launcher) return result;

  std::optional<Process> boxHelper;
  std::optional<Process> promptHelper;
  if (result.boxSource == BoxSource::kWindows) {
    // Either helper missing would leave the launcher waiting on a window until the time limit.
    boxHelper = startBoxHelper(*launcher, limited.timeLimit, &result.diagnostics);
    if (!boxHelper || !answerEarlierPrompts(*launcher, request, result)) return result;
    promptHelper = startPromptHelper(*launcher, request.timeLimit, request.folderPromptChoice,
                                     &result.diagnostics);
    if (!promptHelper) return result;  // the launcher, destroyed, is killed
  }

  const ProcessOutcome outcome = launcher->wait(limited.timeLimit);
  result.finished = outcome.exited;
  result.exitCode = outcome.exitCode;
  result.standardError = outcome.standardError;
  if (outcome.timedOut) result.diagnostics += "the launcher was killed after the time limit\n";
  if (boxHelper) readBoxes(*boxHelper, limited.timeLimit, result);
  if (promptHelper) stopPromptHelper(*promptHelper, result);
  return result;
}

std::u16string tailOf(const std::vector<std::u16string>& arguments) {
  std::u16string tail;
  for (const std::u16string& argument : arguments) {
    if (!tail.empty()) tail += u' ';
    if (argument.find_first_of(u" \t") == std::u16string::npos) {
      tail += argument;
      continue;
    }
    std::size_t value = 0;
    if (argument.starts_with(u'-')) {
      const std::size_t colon = argument.find(u':');
      value = colon == std::u16string::npos ? 0 : colon + 1;
    }
    tail += argument.substr(0, value) + u'"' + argument.substr(value) + u'"';
  }
  return tail;
}

std::vector<std::u16string> argumentsOf(std::u16string_view tail) {
  std::vector<std::u16string> arguments;
  std::optional<std::u16string> current;
  bool quoted = false;
  for (char16_t c : tail) {
    if (c == u'"') {
      quoted = !quoted;
      if (!current) current.emplace();
    } else if (isBlank(c) && !quoted) {
      if (current) arguments.push_back(std::move(*current));
      current.reset();
    } else {
      if (!current) current.emplace();
      *current += c;
    }
  }
  if (current) arguments.push_back(std::move(*current));
  return arguments;
}

}  // namespace lumora::testing
