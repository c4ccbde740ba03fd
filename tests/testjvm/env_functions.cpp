// The JNIEnv functions the launcher may call. Each one checks the references it is given against
// what this library handed out, records the call, and answers as the configuration says.
#include <cstdarg>
#include <cstdio>
#include <string>
#include <string_view>

#include "escape.h"
#include "jvm_state.h"
#include "module_io.h"

namespace lumora::testjvm {
namespace {

constexpr std::string_view kStringClass = "java/lang/String";
constexpr std::string_view kMainClass = "com/veltra/orbique/singleuser/Main";
constexpr std::string_view kThrownClass = "java/lang/IllegalStateException";
constexpr std::u16string_view kThrownText =
    u"java.lang.IllegalStateException: thrown by the test main";

jni::MethodId mainMethod{"main", "([Ljava/lang/String;)V"};
jni::MethodId toStringMethod{"toString", "()Ljava/lang/String;"};

// The environment must be ours and its JVM alive; a call from another thread is noted and then
// served, so that a test sees every such call, not only the first.
void enter(jni::JNIEnv* env, const char* function) {
  if (env != environment()) recordAndDie(std::string("bad-reference ") + function);
  if (!jvm().live) recordAndDie(std::string("no-jvm ") + function);
  if (currentThreadId() != jvm().creatorThread) record(std::string("wrong-thread ") + function);
}

jni::Object* expect(jni::jobject ref, Kind kind, const char* function) {
  jni::Object* object = jvm().heap.find(ref);
  if (!object || object->kind != kind) recordAndDie(std::string("bad-reference ") + function);
  return object;
}

jni::Object* expectAny(jni::jobject ref, const char* function) {
  jni::Object* object = jvm().heap.find(ref);
  if (!object) recordAndDie(std::string("bad-reference ") + function);
  return object;
}

void expectText(const char* text, const char* function) {
  if (!text) recordAndDie(std::string("bad-reference ") + function);
}

std::string escapeOrNull(const std::optional<std::u16string>& text) {
  return text ? escapeUtf16(*text) : "null";
}

std::u16string widen(std::string_view ascii) { return {ascii.begin(), ascii.end()}; }

// What Java's toString() gives for each kind of object we hand out.
std::u16string toStringOf(const jni::Object& object) {
  std::u16string dotted = widen(object.className);
  for (auto& c : dotted) c = c == u'/' ? u'.' : c;
  switch (object.kind) {
    case Kind::kClass:
      return u"class " + dotted;
    case Kind::kArray:
      return dotted + u"@1b6d3586";
    case Kind::kString:
    case Kind::kThrowable:
      break;
  }
  return object.text;
}

jni::jclass JNICALL findClass(jni::JNIEnv* env, const char* name) {
  enter(env, "FindClass");
  expectText(name, "FindClass");
  record("FindClass " + escapeBytes(name));
  const Config& config = jvm().config;
  bool found = (name == kStringClass && !config.stringClassMissing) ||
               (name == kMainClass && !config.mainClassMissing);
  return found ? jvm().heap.newClass(name) : nullptr;
}

jni::jmethodID JNICALL getStaticMethodID(jni::JNIEnv* env, jni::jclass cls, const char* name,
                                         const char* signature) {
  enter(env, "GetStaticMethodID");
  const jni::Object* c = expect(cls, Kind::kClass, "GetStaticMethodID");
  expectText(name, "GetStaticMethodID");
  expectText(signature, "GetStaticMethodID");
  record("GetStaticMethodID " + escapeBytes(name) + " " + escapeBytes(signature));
  bool found = c->className == kMainClass && std::string_view(name) == mainMethod.name &&
               std::string_view(signature) == mainMethod.signature &&
               !jvm().config.mainMethodMissing;
  return found ? &mainMethod : nullptr;
}

jni::jstring JNICALL newString(jni::JNIEnv* env, const jni::jchar* chars, jni::jsize length) {
  enter(env, "NewString");
  if (length < 0 || (length > 0 && !chars)) recordAndDie("bad-reference NewString");
  std::u16string text(chars ? chars : u"", static_cast<std::size_t>(length));
  record("NewString " + escapeUtf16(text));
  return jvm().config.newStringFails ? nullptr : jvm().heap.newString(std::move(text));
}

jni::jobjectArray JNICALL newObjectArray(jni::JNIEnv* env, jni::jsize length,
                                         jni::jclass elementClass, jni::jobject initial) {
  enter(env, "NewObjectArray");
  const jni::Object* c =
      elementClass ? expect(elementClass, Kind::kClass, "NewObjectArray") : nullptr;
  const jni::Object* init = initial ? expect(initial, Kind::kString, "NewObjectArray") : nullptr;
  record("NewObjectArray " + std::to_string(length) + " " +
         (c ? escapeBytes(c->className) : "null") + (init ? " init-nonnull" : " init-null"));
  if (length < 0 || !c || jvm().config.newArrayFails) return nullptr;
  return jvm().heap.newArray(c->className, length, init ? std::optional(init->text) : std::nullopt);
}

void JNICALL setObjectArrayElement(jni::JNIEnv* env, jni::jobjectArray array, jni::jsize index,
                                   jni::jobject value) {
  enter(env, "SetObjectArrayElement");
  jni::Object* a = expect(array, Kind::kArray, "SetObjectArrayElement");
  const jni::Object* v = value ? expect(value, Kind::kString, "SetObjectArrayElement") : nullptr;
  std::optional<std::u16string> element = v ? std::optional(v->text) : std::nullopt;
  record("SetObjectArrayElement " + std::to_string(index) + " " + escapeOrNull(element));
  if (index < 0 || static_cast<std::size_t>(index) >= a->elements.size()) {
    recordAndDie("bad-index SetObjectArrayElement " + std::to_string(index));
  }
  a->elements[static_cast<std::size_t>(index)] = std::move(element);
}

void runMain(jni::jobject arguments) {
  if (!arguments) {
    record("main null");
  } else {
    const jni::Object* a = expect(arguments, Kind::kArray, "CallStaticVoidMethod");
    record("main " + std::to_string(a->elements.size()));
    for (std::size_t i = 0; i < a->elements.size(); ++i) {
      record("arg " + std::to_string(i) + " " + escapeOrNull(a->elements[i]));
    }
  }
  if (jvm().config.mainSleepMs > 0) sleepMilliseconds(jvm().config.mainSleepMs);
  if (jvm().config.mainThrows) jvm().pendingException = std::u16string(kThrownText);
}

// Variadic, so the caller's convention (cdecl) on every target. The array is the one argument.
void callStaticVoidMethod(jni::JNIEnv* env, jni::jclass cls, jni::jmethodID method, ...) {
  enter(env, "CallStaticVoidMethod");
  const jni::Object* c = expect(cls, Kind::kClass, "CallStaticVoidMethod");
  if (method != &mainMethod || c->className != kMainClass) {
    recordAndDie("bad-reference CallStaticVoidMethod");
  }
  std::va_list args;
  va_start(args, method);
  jni::jobject arguments = va_arg(args, jni::jobject);
  va_end(args);
  runMain(arguments);
}

jni::jboolean JNICALL exceptionCheck(jni::JNIEnv* env) {
  enter(env, "ExceptionCheck");
  record("ExceptionCheck");
  return jvm().pendingException ? jni::kTrue : jni::kFalse;
}

jni::jthrowable JNICALL exceptionOccurred(jni::JNIEnv* env) {
  enter(env, "ExceptionOccurred");
  record("ExceptionOccurred");
  const auto& pending = jvm().pendingException;
  // A new local reference each time, as a real JVM gives.
  return pending ? jvm().heap.newThrowable(std::string(kThrownClass), *pending) : nullptr;
}

// Like a real JVM: prints the exception to standard error and clears it.
void JNICALL exceptionDescribe(jni::JNIEnv* env) {
  enter(env, "ExceptionDescribe");
  record("ExceptionDescribe");
  auto& pending = jvm().pendingException;
  if (!pending) return;
  std::fprintf(stderr, "Exception in thread \"main\" %s\n", escapeUtf16(*pending).c_str());
  std::fflush(stderr);
  pending.reset();
}

void JNICALL exceptionClear(jni::JNIEnv* env) {
  enter(env, "ExceptionClear");
  record("ExceptionClear");
  jvm().pendingException.reset();
}

void JNICALL deleteLocalRef(jni::JNIEnv* env, jni::jobject ref) {
  enter(env, "DeleteLocalRef");
  if (!ref) {
    record("DeleteLocalRef null");  // allowed by JNI, and does nothing
    return;
  }
  jni::Object* object = expectAny(ref, "DeleteLocalRef");
  record(std::string("DeleteLocalRef ") + kindName(object->kind));
  jvm().heap.remove(object);
}

jni::jclass JNICALL getObjectClass(jni::JNIEnv* env, jni::jobject ref) {
  enter(env, "GetObjectClass");
  const jni::Object* object = expectAny(ref, "GetObjectClass");
  record(std::string("GetObjectClass ") + kindName(object->kind));
  return jvm().heap.newClass(object->kind == Kind::kClass ? "java/lang/Class" : object->className);
}

jni::jmethodID JNICALL getMethodID(jni::JNIEnv* env, jni::jclass cls, const char* name,
                                   const char* signature) {
  enter(env, "GetMethodID");
  expect(cls, Kind::kClass, "GetMethodID");
  expectText(name, "GetMethodID");
  expectText(signature, "GetMethodID");
  record("GetMethodID " + escapeBytes(name) + " " + escapeBytes(signature));
  // Every class has toString(); the test JVM knows no other instance method.
  bool found = std::string_view(name) == toStringMethod.name &&
               std::string_view(signature) == toStringMethod.signature;
  return found ? &toStringMethod : nullptr;
}

jni::jobject callObjectMethod(jni::JNIEnv* env, jni::jobject ref, jni::jmethodID method, ...) {
  enter(env, "CallObjectMethod");
  const jni::Object* object = expectAny(ref, "CallObjectMethod");
  if (method != &toStringMethod) recordAndDie("bad-reference CallObjectMethod");
  record("toString");
  return jvm().heap.newString(toStringOf(*object));
}

jni::jsize JNICALL getStringLength(jni::JNIEnv* env, jni::jstring string) {
  enter(env, "GetStringLength");
  const jni::Object* s = expect(string, Kind::kString, "GetStringLength");
  record("GetStringLength");
  return static_cast<jni::jsize>(s->text.size());
}

const jni::jchar* JNICALL getStringChars(jni::JNIEnv* env, jni::jstring string,
                                         jni::jboolean* isCopy) {
  enter(env, "GetStringChars");
  const jni::Object* s = expect(string, Kind::kString, "GetStringChars");
  record("GetStringChars");
  if (isCopy) *isCopy = jni::kTrue;
  return jvm().heap.pin(s);
}

void JNICALL releaseStringChars(jni::JNIEnv* env, jni::jstring string, const jni::jchar* chars) {
  enter(env, "ReleaseStringChars");
  const jni::Object* s = expect(string, Kind::kString, "ReleaseStringChars");
  record("ReleaseStringChars");
  if (!jvm().heap.unpin(s, chars)) recordAndDie("bad-reference ReleaseStringChars");
}

// The explicit type makes the compiler check each function against the declared slot signature.
template <typename Fn>
void put(jni::NativeInterface& table, jni::EnvSlot slot, Fn function) {
  table.slots[slot] = reinterpret_cast<void*>(function);
}

jni::NativeInterface makeEnvTable() {
  jni::NativeInterface t = unexpectedEnvTable();
  put<jni::FindClassFn>(t, jni::kFindClass, &findClass);
  put<jni::ExceptionOccurredFn>(t, jni::kExceptionOccurred, &exceptionOccurred);
  put<jni::ExceptionDescribeFn>(t, jni::kExceptionDescribe, &exceptionDescribe);
  put<jni::ExceptionClearFn>(t, jni::kExceptionClear, &exceptionClear);
  put<jni::DeleteLocalRefFn>(t, jni::kDeleteLocalRef, &deleteLocalRef);
  put<jni::GetObjectClassFn>(t, jni::kGetObjectClass, &getObjectClass);
  put<jni::GetMethodIDFn>(t, jni::kGetMethodID, &getMethodID);
  put<jni::CallObjectMethodFn>(t, jni::kCallObjectMethod, &callObjectMethod);
  put<jni::GetStaticMethodIDFn>(t, jni::kGetStaticMethodID, &getStaticMethodID);
  put<jni::CallStaticVoidMethodFn>(t, jni::kCallStaticVoidMethod, &callStaticVoidMethod);
  put<jni::NewStringFn>(t, jni::kNewString, &newString);
  put<jni::GetStringLengthFn>(t, jni::kGetStringLength, &getStringLength);
  put<jni::GetStringCharsFn>(t, jni::kGetStringChars, &getStringChars);
  put<jni::ReleaseStringCharsFn>(t, jni::kReleaseStringChars, &releaseStringChars);
  put<jni::NewObjectArrayFn>(t, jni::kNewObjectArray, &newObjectArray);
  put<jni::SetObjectArrayElementFn>(t, jni::kSetObjectArrayElement, &setObjectArrayElement);
  put<jni::ExceptionCheckFn>(t, jni::kExceptionCheck, &exceptionCheck);
  return t;
}

const jni::NativeInterface envTable = makeEnvTable();
jni::JNIEnv envValue = &envTable;

}  // namespace

jni::JNIEnv* environment() { return &envValue; }

}  // namespace lumora::testjvm
