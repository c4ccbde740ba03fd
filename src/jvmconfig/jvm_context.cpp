#include "jvmconfig/jvm_context.h"

namespace lumora {

void setUpJvmContext(JvmContext& context) {
  context = JvmContext{};
}

}  // namespace lumora
