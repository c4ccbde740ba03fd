#include "launch/java_entry.h"

#include "platform/os.h"
#include "shell/diagnostic_log.h"

namespace lumora {
namespace {

using namespace jni;

constexpr const char* kStringClass = "java/lang/String";
constexpr const char* kMainClass = "com/veltra/orbique/singleuser/Main";
constexpr const char* kMainName = "main";
constexpr const char* kMainSignature = "([Ljava/lang/String;)V";

jstring makeJavaString(JNIEnv* env, std::u16string_view text) {
  return envFunction<NewStringFn>(env, kNewString)(env, text.data(),
                                                   static_cast<jsize>(text.size()));
}

// The narrow token becomes a Java string code unit for byte-converted code unit.
jstring makeJavaStringFromNarrow(JNIEnv* env, const std::string& text) {
  return makeJavaString(env, os::fromNarrow(text));
}

void deleteLocalRef(JNIEnv* env, jobject reference) {
  if (reference != nullptr) envFunction<DeleteLocalRefFn>(env, kDeleteLocalRef)(env, reference);
}

// A class or method that cannot be found leaves an error pending in the JVM: it is described on
// standard error, where it tells why, and cleared before the box.
void showLaunchFailure(JNIEnv* env) {
  if (envFunction<ExceptionCheckFn>(env, kExceptionCheck)(env)) {
    envFunction<ExceptionDescribeFn>(env, kExceptionDescribe)(env);
    envFunction<ExceptionClearFn>(env, kExceptionClear)(env);
  }
  os::showMessageBox(u"Failed to launch main().", u"LumoraHost", os::BoxIcon::kError);
}

// The text of a throwable's toString(), or an empty text when it cannot be had.
std::u16string describeThrowable(JNIEnv* env, jthrowable throwable) {
  std::u16string text;
  jclass type = envFunction<GetObjectClassFn>(env, kGetObjectClass)(env, throwable);
  jmethodID toString =
      type ? envFunction<GetMethodIDFn>(env, kGetMethodID)(env, type, "toString",
                                                          "()Ljava/lang/String;")
           : nullptr;
  jstring string = toString ? static_cast<jstring>(envFunction<CallObjectMethodFn>(
                                  env, kCallObjectMethod)(env, throwable, toString))
                            : nullptr;
  if (string != nullptr) {
    const jsize length = envFunction<GetStringLengthFn>(env, kGetStringLength)(env, string);
    const jchar* chars =
        envFunction<GetStringCharsFn>(env, kGetStringChars)(env, string, nullptr);
    if (chars != nullptr) {
      text.assign(chars, static_cast<std::size_t>(length));
      envFunction<ReleaseStringCharsFn>(env, kReleaseStringChars)(env, string, chars);
    }
  }
  // toString() itself may have thrown; that is not reported on top.
  envFunction<ExceptionClearFn>(env, kExceptionClear)(env);
  deleteLocalRef(env, string);
  deleteLocalRef(env, type);
  return text;
}

// Reports an exception that main left pending: in the log and, as the JVM describes it, on
// standard error; then clears it. No box: the application's windows may still be open.
bool reportPendingException(JNIEnv* env) {
  jthrowable throwable = envFunction<ExceptionOccurredFn>(env, kExceptionOccurred)(env);
  if (throwable == nullptr) return false;
  envFunction<ExceptionDescribeFn>(env, kExceptionDescribe)(env);
  envFunction<ExceptionClearFn>(env, kExceptionClear)(env);
  logLabelledValue(u"Java main() ended with an exception.\n", describeThrowable(env, throwable));
  deleteLocalRef(env, throwable);
  return true;
}

}  // namespace

JavaMainOutcome invokeJavaMain(JvmContext& context,
                               const std::optional<std::u16string>& openFilePath) {
  JNIEnv* env = context.env;
  const auto findClass = envFunction<FindClassFn>(env, kFindClass);
  jclass stringClass = findClass(env, kStringClass);
  jclass mainClass = findClass(env, kMainClass);
  jmethodID main = mainClass ? envFunction<GetStaticMethodIDFn>(env, kGetStaticMethodID)(
                                   env, mainClass, kMainName, kMainSignature)
                             : nullptr;
  if (stringClass == nullptr || main == nullptr) {
    showLaunchFailure(env);
    return JavaMainOutcome::kNotLaunched;
  }

  jstring token = context.token ? makeJavaStringFromNarrow(env, *context.token) : nullptr;
  jstring openFile = openFilePath ? makeJavaString(env, *openFilePath) : nullptr;
  const jsize length = openFilePath ? 2 : 1;
  jobjectArray arguments =
      envFunction<NewObjectArrayFn>(env, kNewObjectArray)(env, length, stringClass, nullptr);
  if (arguments == nullptr) {
    deleteLocalRef(env, openFile);
    showLaunchFailure(env);
    return JavaMainOutcome::kNotLaunched;
  }
  const auto setElement = envFunction<SetObjectArrayElementFn>(env, kSetObjectArrayElement);
  setElement(env, arguments, 0, token);
  if (openFilePath) setElement(env, arguments, 1, openFile);

  // The launcher's thread stays inside this call for as long as the application's main runs.
  envFunction<CallStaticVoidMethodFn>(env, kCallStaticVoidMethod)(env, mainClass, main, arguments);

  const bool threw = reportPendingException(env);
  deleteLocalRef(env, arguments);
  deleteLocalRef(env, openFile);
  return threw ? JavaMainOutcome::kThrew : JavaMainOutcome::kReturned;
}

}  // namespace lumora
