#include "jvmconfig/jvm_option_list.h"

#include <new>

namespace lumora {

bool JvmOptionList::append(std::string option) noexcept {
  try {
    options_.push_back(std::move(option));
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

jni::JavaVMInitArgs* JvmOptionList::initArgs() {
  records_.clear();
  records_.reserve(options_.size());
  for (std::string& option : options_) records_.push_back({option.data(), nullptr});
  args_.version = jni::kVersion_1_6;
  args_.nOptions = static_cast<jni::jint>(records_.size());
  args_.options = records_.empty() ? nullptr : records_.data();
  args_.ignoreUnrecognized = jni::kTrue;
  return &args_;
}

}  // namespace lumora
