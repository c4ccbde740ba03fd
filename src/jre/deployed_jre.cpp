#include "jre/deployed_jre.h"

namespace lumora {

// Not consulted yet: there is no deployed JRE.
bool findDeployedJre(std::u16string&) { return false; }

}  // namespace lumora
