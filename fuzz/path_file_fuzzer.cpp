// Fuzzes the JRE path-file reader: whatever the file holds, the JRE folder stays a text of at
// most 259 code units.
#include <cstdint>
#include <cstdlib>

#include "fuzz_input_file.h"
#include "jre/jre_path_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::u16string jreFolder = u"/previous/folder";
  const bool found = lumora::readJrePathFile(jreFolder, lumora::fuzz::writeInput(data, size));
  if (jreFolder.size() > 259) std::abort();
  if (found && jreFolder.empty()) std::abort();
  return 0;
}
