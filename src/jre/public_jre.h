// The public JRE 1.7 that the machine records, and the folder prompt, the last resort.
#pragma once

#include <string>

namespace lumora {

// True when `jreFolder` holds the public JRE's folder.
bool queryPublicJre(std::u16string& jreFolder);

// Asks the user for the JRE folder; true when `jreFolder` holds the chosen folder's path, false
// when the user cancelled or chose something that is no folder on disk.
bool promptForJre(std::u16string& jreFolder);

}  // namespace lumora
