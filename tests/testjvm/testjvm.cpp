// The test JVM library's entry point: JNI_CreateJavaVM, and the JavaVM table with DestroyJavaVM.
// It records what the launcher passes and creates (or refuses) the JVM as testjvm.cfg says.
#include <cstdio>
#include <string>

#include "config.h"
#include "escape.h"
#include "jvm_state.h"
#include "module_io.h"
#include "platform/jni.h"

#if defined(LUMORA_TESTJVM_NEEDS_DEP)
#include "testdep.h"
#endif

namespace lumora::testjvm {
namespace {

// JNI's result codes beyond kOk.
constexpr jni::jint kErr = -1;
constexpr jni::jint kEVersion = -3;
constexpr jni::jint kEExist = -5;

bool knownVersion(jni::jint version) {
  switch (version) {
    case 0x00010002:
    case 0x00010004:
    case 0x00010006:
    case 0x00010008:
      return true;
    default:
      // Java 9 and later: the major number in the high half.
      return version >= 0x00090000 && (version & 0xFFFF) == 0;
  }
}

jni::jint JNICALL destroyJavaVM(jni::JavaVM* vm);

jni::InvokeInterface makeVmTable() {
  jni::InvokeInterface table = unexpectedVmTable();
  jni::DestroyJavaVMFn destroy = &destroyJavaVM;  // checks the slot's signature
  table.slots[jni::kDestroyJavaVM] = reinterpret_cast<void*>(destroy);
  return table;
}

const jni::InvokeInterface vmTable = makeVmTable();
jni::JavaVM vmValue = &vmTable;

jni::jint JNICALL destroyJavaVM(jni::JavaVM* vm) {
  if (vm != &vmValue) recordAndDie("bad-reference DestroyJavaVM");
  if (!jvm().live) recordAndDie("no-jvm DestroyJavaVM");
  if (currentThreadId() != jvm().creatorThread) record("wrong-thread DestroyJavaVM");
  record("DestroyJavaVM");
  if (std::size_t pinned = jvm().heap.pinnedCount()) {
    record("unreleased-string-chars " + std::to_string(pinned));
  }
  // Stands for the wait for the application's remaining non-daemon threads.
  if (jvm().config.destroySleepMs > 0) sleepMilliseconds(jvm().config.destroySleepMs);
  jvm().live = false;
  return jni::kOk;
}

void recordArguments(const jni::JavaVMInitArgs& args, bool optionTexts) {
  char version[9];
  std::snprintf(version, sizeof version, "%08X", static_cast<unsigned>(args.version));
  record(std::string("create version=") + version + " ignoreUnrecognized=" +
         std::to_string(args.ignoreUnrecognized) + " nOptions=" + std::to_string(args.nOptions));
  if (args.nOptions < 0 || (args.nOptions > 0 && !args.options)) {
    recordAndDie("bad-reference JNI_CreateJavaVM");
  }
  for (jni::jint i = 0; i < args.nOptions; ++i) {
    const jni::JavaVMOption& option = args.options[i];
    if (optionTexts) {
      record("option " + (option.optionString ? escapeBytes(option.optionString) : "null"));
    }
    if (option.extraInfo) record("extraInfo " + std::to_string(i) + " nonnull");
  }
}

Config loadConfig() {
  auto text = readConfigFile();
  if (!text) return {};
  std::string badLine;
  auto config = parseConfig(*text, &badLine);
  if (!config) recordAndDie("bad-config " + escapeBytes(badLine));
  return *config;
}

jni::jint outcome(const Config& config, const jni::JavaVMInitArgs& args) {
  if (!knownVersion(args.version)) return kEVersion;
  if (jvm().everCreated) return kEExist;
  switch (config.create) {
    case CreateOutcome::kRefuse:
      return kErr;
    case CreateOutcome::kPositive:
      return 1;
    case CreateOutcome::kSucceed:
      break;
  }
  return jni::kOk;
}

jni::jint createJavaVM(jni::JavaVM** vm, void** env, void* initArgs) {
#if defined(LUMORA_TESTJVM_NEEDS_DEP)
  // A real call into the dependency, so that the import cannot be dropped.
  record("dependency " + std::to_string(lumora_testdep_answer()));
#endif
  if (!vm || !env || !initArgs) recordAndDie("bad-reference JNI_CreateJavaVM");
  *vm = nullptr;
  *env = nullptr;
  const auto& args = *static_cast<const jni::JavaVMInitArgs*>(initArgs);
  Config config = loadConfig();
  recordArguments(args, !config.optionTextsUnrecorded);
  jni::jint result = outcome(config, args);
  record("create-result " + std::to_string(result));
  if (result < 0) return result;
  JvmState& state = jvm();
  state.live = true;
  state.everCreated = true;
  state.creatorThread = currentThreadId();
  state.config = config;
  *vm = &vmValue;
  *env = environment();
  return result;
}

}  // namespace
}  // namespace lumora::testjvm

LUMORA_TESTJVM_EXPORT lumora::jni::jint JNICALL JNI_CreateJavaVM(lumora::jni::JavaVM** vm,
                                                                 void** env, void* initArgs) {
  return lumora::testjvm::createJavaVM(vm, env, initArgs);
}

// The export must have the type the launcher calls it through.
[[maybe_unused]] static constexpr lumora::jni::CreateJavaVMFn kCreateJavaVMType = &JNI_CreateJavaVM;
