// The test JVM library and its companions (tests/testjvm), built beside the test programs, and
// how a test puts one where the launcher looks for a JVM library.
#pragma once

#include <filesystem>
#include <string>

#include "platform/os.h"
#include "platform/path.h"

namespace lumora::testing {

enum class TestLibrary {
  kJvm,                   // the test JVM
  kNotJvm,                // a library without JNI_CreateJavaVM
  kJvmNeedingDependency,  // Windows: the test JVM importing from lumoradep.dll
  kDependency,            // Windows: lumoradep.dll
};

inline bool onWindows() { return os::kPathSeparator == u'\\'; }

inline std::string libraryFileName(TestLibrary library) {
  switch (library) {
    case TestLibrary::kJvm:
      return onWindows() ? "testjvm.dll" : "libtestjvm.so";
    case TestLibrary::kNotJvm:
      return onWindows() ? "notjvm.dll" : "libnotjvm.so";
    case TestLibrary::kJvmNeedingDependency:
      return "testjvm_needsdep.dll";
    case TestLibrary::kDependency:
      return "lumoradep.dll";
  }
  return {};
}

// The built library, beside the running test program.
inline std::filesystem::path builtLibrary(TestLibrary library) {
  return std::filesystem::path(executableFolder().value_or(u".")) / libraryFileName(library);
}

// Copies a library to `destination` (folders made on the way) and returns `destination`.
inline std::filesystem::path placeLibrary(TestLibrary library,
                                          const std::filesystem::path& destination) {
  std::filesystem::create_directories(destination.parent_path());
  std::filesystem::copy_file(builtLibrary(library), destination,
                             std::filesystem::copy_options::overwrite_existing);
  return destination;
}

// Puts a library where the launcher looks for the client (or server) JVM library of `jreFolder`
// and returns its path; its report and configuration files sit beside it.
inline std::filesystem::path placeJvmLibrary(TestLibrary library,
                                             const std::filesystem::path& jreFolder,
                                             bool server = false) {
  const std::u16string relative(server ? os::kServerJvmLibrary : os::kClientJvmLibrary);
  return placeLibrary(library, jreFolder / std::filesystem::path(relative));
}

}  // namespace lumora::testing
