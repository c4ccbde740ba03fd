// The class path option: every entry of the `lib` folder beside the executable whose name matches
// *.jar, as absolute paths.
#pragma once

#include <optional>
#include <string>

#include "jvmconfig/jvm_option_list.h"

namespace lumora {

// "-Djava.class.path=" followed by the entries of `installFolder`'s lib folder, joined by the
// platform's class path separator, in the order the directory search gives them. A missing or
// empty lib folder gives no entry. Nothing when a path cannot be formed (too long) or has a
// character the narrow conversion cannot take: no JVM may then be started.
std::optional<std::string> buildClassPathOption(const std::u16string& installFolder);

// Appends the class path option for the executable's folder; false when it cannot be built.
bool appendClassPathOption(JvmOptionList& list);

}  // namespace lumora
