// The JVM's start-up options, in the form that JNI_CreateJavaVM takes (JavaVMInitArgs of version
// 1.6, unrecognised options ignored). The list owns its option texts.
#pragma once

#include <string>
#include <vector>

#include "platform/jni.h"

namespace lumora {

class JvmOptionList {
 public:
  JvmOptionList() = default;
  JvmOptionList(const JvmOptionList&) = delete;
  JvmOptionList& operator=(const JvmOptionList&) = delete;

  // Appends one option; false, with the list unchanged, when memory runs out.
  bool append(std::string option) noexcept;

  const std::vector<std::string>& options() const { return options_; }

  // The record to hand to JNI_CreateJavaVM. It points into the list, so it stays valid while the
  // list lives and is not changed; the JVM does not keep it after the call.
  jni::JavaVMInitArgs* initArgs();

 private:
  std::vector<std::string> options_;
  std::vector<jni::JavaVMOption> records_;
  jni::JavaVMInitArgs args_{};
};

}  // namespace lumora
