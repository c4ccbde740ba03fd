#include "jre/public_jre.h"

namespace lumora {

// Not consulted yet: there is no public JRE, and the prompt counts as cancelled.
bool queryPublicJre(std::u16string&) { return false; }
bool promptForJre(std::u16string&) { return false; }

}  // namespace lumora
