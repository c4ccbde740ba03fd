#include "shell/launch_driver.h"

#include "jvmconfig/jvm_context.h"
#include "launch/java_entry.h"
#include "platform/os.h"
#include "platform/path.h"
#include "shell/command_line.h"
#include "shell/diagnostic_log.h"
#include "shell/log_time.h"

namespace lumora {
namespace {

constexpr std::u16string_view kCaption = u"LumoraHost";
constexpr std::u16string_view kUsageText =
    u"LumoraHost [-?] [-log:<file>] [-openfile:<file>]\r\n"
    u"-? - Show usage.\r\n"
    u"-log:<file> - create a log file.\r\n"
    u"-openfile:<file> - open a file in Lumora.";

void startLog(const std::u16string& path) {
  if (DiagnosticLog::open(path)) DiagnosticLog::write(u"Starting Lumora\n");
  std::optional<std::int64_t> now = os::secondsSinceEpoch();
  if (!now) return;
  std::optional<os::LocalTime> local = os::toLocalTime(*now);
  std::optional<std::u16string> text = local ? formatLogTime(*local) : std::nullopt;
  if (!text) return;
  DiagnosticLog::write(*text);
  DiagnosticLog::write(u"\n");
}

// The executable's folder becomes the current directory, so that the relative paths of the JRE
// search resolve beside the executable. A relative -log: path was resolved before this.
void enterExecutableFolder() {
  std::optional<std::u16string> folder = executableFolder();
  if (!folder || !os::setCurrentDirectory(*folder)) return;
  logLabelledValue(u"Current directory setup successfully.\n", *folder);
}

void destroyJvm(JvmContext& context) {
  if (context.vm == nullptr) return;
  // The call returns once the application's non-daemon threads have ended.
  jni::vmFunction<jni::DestroyJavaVMFn>(context.vm, jni::kDestroyJavaVM)(context.vm);
  context.vm = nullptr;
  context.env = nullptr;
}

}  // namespace

int runLauncher(std::u16string_view commandLineTail) {
  const LaunchOptions options = parseCommandLine(commandLineTail);
  if (options.showUsage) {
    os::showMessageBox(kUsageText, kCaption, os::BoxIcon::kInformation);
    return options.unknownOption ? kExitUsage : kExitSuccess;
  }

  if (options.logPath) startLog(*options.logPath);
  enterExecutableFolder();
  os::initializeCom();

  JvmContext context;
  setUpJvmContext(context);

  int exitCode = kExitSuccess;
  if (context.vm == nullptr) {
    os::showMessageBox(u"Unable to create JVM.", kCaption, os::BoxIcon::kError);
    exitCode = kExitLaunchFailed;
  } else if (invokeJavaMain(context, options.openFilePath) != JavaMainOutcome::kReturned) {
    exitCode = kExitLaunchFailed;
  }

  // The log is closed before the JVM is destroyed: nothing that happens while the application's
  // last threads finish is logged.
  DiagnosticLog::close();
  context.token.reset();
  destroyJvm(context);
  return exitCode;
}

}  // namespace lumora
