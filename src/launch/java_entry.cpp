#include "launch/java_entry.h"

namespace lumora {

JavaMainOutcome invokeJavaMain(JvmContext&, const std::optional<std::u16string>&) {
  return JavaMainOutcome::kNotLaunched;
}

}  // namespace lumora
