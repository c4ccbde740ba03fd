// The call of the Java application's entry point.
#pragma once

#include <optional>
#include <string>

#include "jvmconfig/jvm_context.h"

namespace lumora {

enum class JavaMainOutcome {
  kReturned,     // main ran and returned normally
  kThrew,        // main ran and ended by throwing; the exception has been reported and cleared
  kNotLaunched,  // main could not be called; "Failed to launch main()." has been shown
};

// Calls the static main(String[]) of the application's main class with the token and, when
// given, the file to open; returns when main returns.
JavaMainOutcome invokeJavaMain(JvmContext& context,
                               const std::optional<std::u16string>& openFilePath);

}  // namespace lumora
