// Our own declarations of the parts of the Java Native Interface (JNI 1.6) that the launcher and its
// test JVM library use, written from the public JNI documentation. No JDK header is included.
//
// The function tables are declared as arrays of slots: only the slots we call are named below, by
// their fixed index in the table, with the exact signature JNI gives them. The real-JVM tests on
// Linux are what prove these indices and signatures right.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32) && !defined(_WIN64)
#define JNICALL __stdcall
#else
#define JNICALL
#endif

namespace lumora::jni {

using jint = std::int32_t;
using jlong = std::int64_t;
using jboolean = std::uint8_t;
using jchar = char16_t;
using jsize = jint;

struct Object;  // opaque: every reference type is a pointer to it
using jobject = Object*;
using jclass = jobject;
using jstring = jobject;
using jthrowable = jobject;
using jobjectArray = jobject;

struct MethodId;  // opaque
using jmethodID = MethodId*;

inline constexpr jint kVersion_1_6 = 0x00010006;
inline constexpr jint kOk = 0;
inline constexpr jboolean kTrue = 1;
inline constexpr jboolean kFalse = 0;

struct JavaVMOption {
  char* optionString;
  void* extraInfo;
};

struct JavaVMInitArgs {
  jint version;
  jint nOptions;
  JavaVMOption* options;
  jboolean ignoreUnrecognized;
};

// A JNIEnv is a pointer to the function table; so is a JavaVM.
struct NativeInterface;
struct InvokeInterface;
using JNIEnv = const NativeInterface*;
using JavaVM = const InvokeInterface*;

// Slot indices of the JNIEnv function table (JNINativeInterface).
enum EnvSlot : std::size_t {
  kFindClass = 6,
  kThrow = 13,
  kExceptionOccurred = 15,
  kExceptionDescribe = 16,
  kExceptionClear = 17,
  kDeleteLocalRef = 23,
  kGetObjectClass = 31,
  kGetMethodID = 33,
  kCallObjectMethod = 34,
  kGetStaticMethodID = 113,
  kCallStaticVoidMethod = 141,
  kCallStaticVoidMethodV = 142,
  kNewString = 163,
  kGetStringLength = 164,
  kGetStringChars = 165,
  kReleaseStringChars = 166,
  kNewObjectArray = 172,
  kSetObjectArrayElement = 174,
  kExceptionCheck = 228,
  kEnvSlotCount = 229,
};

// Slot indices of the JavaVM function table (JNIInvokeInterface).
enum VmSlot : std::size_t {
  kDestroyJavaVM = 3,
  kVmSlotCount = 8,
};

struct NativeInterface {
  void* slots[kEnvSlotCount];
};

struct InvokeInterface {
  void* slots[kVmSlotCount];
};

// Signatures of the slots, as JNI declares them. The variadic slot is never JNICALL: a variadic
// function always uses the caller-cleans convention, also on 32-bit Windows.
using FindClassFn = jclass(JNICALL*)(JNIEnv*, const char*);
using ThrowFn = jint(JNICALL*)(JNIEnv*, jthrowable);
using ExceptionOccurredFn = jthrowable(JNICALL*)(JNIEnv*);
using ExceptionDescribeFn = void(JNICALL*)(JNIEnv*);
using ExceptionClearFn = void(JNICALL*)(JNIEnv*);
using DeleteLocalRefFn = void(JNICALL*)(JNIEnv*, jobject);
using GetObjectClassFn = jclass(JNICALL*)(JNIEnv*, jobject);
using GetMethodIDFn = jmethodID(JNICALL*)(JNIEnv*, jclass, const char*, const char*);
using CallObjectMethodFn = jobject (*)(JNIEnv*, jobject, jmethodID, ...);
using GetStaticMethodIDFn = jmethodID(JNICALL*)(JNIEnv*, jclass, const char*, const char*);
using CallStaticVoidMethodFn = void (*)(JNIEnv*, jclass, jmethodID, ...);
using NewStringFn = jstring(JNICALL*)(JNIEnv*, const jchar*, jsize);
using GetStringLengthFn = jsize(JNICALL*)(JNIEnv*, jstring);
using GetStringCharsFn = const jchar*(JNICALL*)(JNIEnv*, jstring, jboolean*);
using ReleaseStringCharsFn = void(JNICALL*)(JNIEnv*, jstring, const jchar*);
using NewObjectArrayFn = jobjectArray(JNICALL*)(JNIEnv*, jsize, jclass, jobject);
using SetObjectArrayElementFn = void(JNICALL*)(JNIEnv*, jobjectArray, jsize, jobject);
using ExceptionCheckFn = jboolean(JNICALL*)(JNIEnv*);

using DestroyJavaVMFn = jint(JNICALL*)(JavaVM*);

// The JVM library's one export, looked up by this name.
inline constexpr const char* kCreateJavaVMName = "JNI_CreateJavaVM";
using CreateJavaVMFn = jint(JNICALL*)(JavaVM**, void**, void*);

// The typed function in a slot of an environment's table.
template <typename Fn>
Fn envFunction(JNIEnv* env, EnvSlot slot) {
  return reinterpret_cast<Fn>((*env)->slots[slot]);
}

template <typename Fn>
Fn vmFunction(JavaVM* vm, VmSlot slot) {
  return reinterpret_cast<Fn>((*vm)->slots[slot]);
}

}  // namespace lumora::jni
