// The search for a JRE from which a JVM can be created, through a fixed cascade of candidates:
// the jre folder beside the executable, jrepath.cfg, the deployed JRE, the public JRE, the
// per-user path file, and then the folder prompt until a JVM is created or the user gives up.
#pragma once

#include "jvmconfig/jvm_context.h"
#include "jvmconfig/jvm_option_list.h"

namespace lumora {

// True when a JVM was created (the context's `vm` and `env` are then set); false when the user
// cancelled the prompt. The first candidate that works ends the search.
bool searchForJre(JvmContext& context, JvmOptionList& options);

}  // namespace lumora
