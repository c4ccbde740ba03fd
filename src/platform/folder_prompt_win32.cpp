// The folder prompt on Windows.
#include "platform/os.h"

namespace lumora::os {

// Not yet offered: the prompt counts as cancelled.
FolderChoice browseForFolder(std::u16string_view) { return {}; }

}  // namespace lumora::os
