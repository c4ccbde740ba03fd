// The JVM's options, always in this order: the class path, the token property, then one option
// for each line of jvmoptions.cfg beside the executable.
#pragma once

#include <string>

#include "jvmconfig/jvm_context.h"
#include "jvmconfig/jvm_option_list.h"

namespace lumora {

inline constexpr std::string_view kTokenOptionPrefix = "-Dkorvex.singleUser.token=";

// Appends every option; false when the class path or the token option cannot be made (no JVM may
// then be started).
bool buildJvmOptions(const JvmContext& context, JvmOptionList& list);

// Appends "-Dkorvex.singleUser.token=" and the token.
bool appendTokenOption(const JvmContext& context, JvmOptionList& list);

// Appends one option for each line of the options file at `path`, read in pieces of at most 8191
// code units (a longer line gives several options); a piece's final line feed is removed and
// nothing else is trimmed. A missing or unreadable file contributes nothing. A line that cannot be
// converted for the JVM (or holds bytes that are not UTF-8) is skipped, and the reading goes on.
void appendOptionsFile(const std::u16string& path, JvmOptionList& list);

}  // namespace lumora
