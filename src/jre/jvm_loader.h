// Turns one candidate JRE folder into a running JVM: loads the folder's JVM library (the client
// library first, the server library only when the client one cannot be loaded) and calls its
// JNI_CreateJavaVM. The only place where a JVM library is loaded or unloaded.
#pragma once

#include <string_view>

#include "jvmconfig/jvm_context.h"
#include "jvmconfig/jvm_option_list.h"

namespace lumora {

// True when a JVM was created: `context.vm` and `context.env` are then set and the library stays
// loaded for the rest of the process. Otherwise a library that was loaded has been unloaded again.
bool createJvmFromJre(std::u16string_view jreFolder, JvmContext& context, JvmOptionList& options);

}  // namespace lumora
