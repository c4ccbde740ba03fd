// The single-user token: a fresh GUID text for each run, which the Java application receives both
// as a system property and as the first argument of its main.
#pragma once

#include "jvmconfig/jvm_context.h"

namespace lumora {

// Stores a new token (38 characters, e.g. {0F8FAD5B-D9CB-469F-A165-70867728950E}) in the
// context; false, with no token, when none can be made.
bool makeSingleUserToken(JvmContext& context);

}  // namespace lumora
