// A reader of files in the Java platform's properties format, as the deployment tool writes its
// preferences: one key-value pair per logical line, comments, blanks around the separator,
// backslash escapes and continuation lines. The file is read byte by byte as ISO 8859-1.
#pragma once

#include <map>
#include <string>

namespace lumora {

// Keys and values are UTF-16 texts, ordered by code unit; lookups are exact.
using PropertyMap = std::map<std::u16string, std::u16string>;

class PropertiesReader {
 public:
  // Reads every pair of the file at `path` into `map` (a later definition of a key replaces an
  // earlier one). False, with `map` unchanged, when the file cannot be opened; there are no
  // syntax errors.
  static bool read(const std::u16string& path, PropertyMap& map);
};

}  // namespace lumora
