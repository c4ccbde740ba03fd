// The JRE that the deployment tool installed: its preferences file names the installation root,
// under which the deployment registry (an XML document) records the JRE's folder.
#pragma once

#include <string>

namespace lumora {

// True when the deployed JRE's folder was found and stored in `jreFolder`; otherwise `jreFolder`
// is untouched.
bool findDeployedJre(std::u16string& jreFolder);

}  // namespace lumora
