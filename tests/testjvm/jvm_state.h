// The one JVM a loaded test JVM library can hold, as JNI allows one per process.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "config.h"
#include "heap.h"
#include "platform/jni.h"

namespace lumora::testjvm {

struct JvmState {
  bool live = false;         // created and not yet destroyed
  bool everCreated = false;  // a JVM cannot be created again, not even after DestroyJavaVM
  std::uint64_t creatorThread = 0;
  Config config;  // read when the JVM was created
  Heap heap;
  std::optional<std::u16string> pendingException;  // toString() of the pending throwable
};

JvmState& jvm();

// The environment handed out by JNI_CreateJavaVM, whose table holds the functions below.
jni::JNIEnv* environment();

// Function tables whose every slot records "unexpected-slot <index>" (the JavaVM table:
// "unexpected-vm-slot <index>") and ends the process; the slots we serve are then filled in.
jni::NativeInterface unexpectedEnvTable();
jni::InvokeInterface unexpectedVmTable();

}  // namespace lumora::testjvm
