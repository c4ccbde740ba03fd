#include "jre/jvm_loader.h"

#include <optional>
#include <string>

#include "platform/os.h"
#include "platform/path.h"
#include "shell/diagnostic_log.h"

namespace lumora {
namespace {

// The library path as logged, and whether it could be formed at all: a folder too long for the
// library's path to fit the path limit gives no loadable path.
struct LibraryPath {
  std::u16string text;
  bool formed;
};

LibraryPath libraryPath(std::u16string_view jreFolder, std::u16string_view library) {
  LibraryPath path{std::u16string(jreFolder.substr(0, os::kMaxPath - 1)), false};
  path.formed = pathAppend(path.text, library);
  return path;
}

std::optional<os::Library> loadLibrary(const LibraryPath& path) {
  logLabelledValue(u"Attempting to load jvm.dll.\n", path.text);
  if (!path.formed) return std::nullopt;
  return os::Library::loadJvm(path.text);
}

}  // namespace

bool createJvmFromJre(std::u16string_view jreFolder, JvmContext& context, JvmOptionList& options) {
  const LibraryPath client = libraryPath(jreFolder, os::kClientJvmLibrary);
  const LibraryPath server = libraryPath(jreFolder, os::kServerJvmLibrary);

  std::optional<os::Library> library = loadLibrary(client);
  if (!library) library = loadLibrary(server);
  if (!library) return false;
  DiagnosticLog::write(u"Successfully loaded library. Attempting to create JVM.\n");

  auto create = reinterpret_cast<jni::CreateJavaVMFn>(library->symbol(jni::kCreateJavaVMName));
  if (create == nullptr) return false;  // not a JVM library: unloaded on the way out

  const jni::jint result = create(&context.vm, reinterpret_cast<void**>(&context.env),
                                  options.initArgs());
  if (result < 0) {
    DiagnosticLog::write(u"Unable to create JVM. Unloading library.\n");
    // A failed creation may not leave the handles behind, or the run would use a JVM that isn't.
    context.vm = nullptr;
    context.env = nullptr;
    return false;
  }
  DiagnosticLog::write(u"JVM Created successfully.\n");
  DiagnosticLog::write(u"Hooray!!!\n");
  library->keepLoaded();
  return true;
}

}  // namespace lumora
