// Fuzzes the properties reader with arbitrary files.
#include <cstdint>
#include <cstdlib>

#include "fuzz_input_file.h"
#include "jre/properties_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  lumora::PropertyMap map;
  if (!lumora::PropertiesReader::read(lumora::fuzz::writeInput(data, size), map)) std::abort();
  for (const auto& [key, value] : map) {
    if (key.empty()) std::abort();  // a pair with an empty key is dropped
    if (key.size() + value.size() > size) std::abort();
  }
  return 0;
}
