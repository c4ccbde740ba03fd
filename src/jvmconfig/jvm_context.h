// The JVM context of a run: the token handed to the Java application, and the JVM once created.
#pragma once

#include <optional>
#include <string>

#include "platform/jni.h"

namespace lumora {

struct JvmContext {
  jni::JNIEnv* env = nullptr;  // the main thread's JNI environment, once a JVM exists
  jni::JavaVM* vm = nullptr;   // non-null exactly when a JVM exists
  std::optional<std::string> token;  // the single-user token, narrow
};

// Makes the token, assembles the JVM's options and has the JRE search create the JVM. Afterwards
// `vm` is set exactly when a JVM was created. Shows and logs nothing of its own.
void setUpJvmContext(JvmContext& context);

}  // namespace lumora
