// The folder prompt on POSIX.
#include "platform/os.h"

namespace lumora::os {

// Not yet offered on POSIX: the prompt counts as cancelled.
FolderChoice browseForFolder(std::u16string_view) { return {}; }

}  // namespace lumora::os
