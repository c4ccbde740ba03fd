# The machine's JDK, for the demo application and the real-JVM tests (Linux builds only).
# Sets LUMORA_JAVA_HOME, the JDK's home folder (the folder above the bin folder of its real
# `java`), when a JDK is found.
find_package(Java 11 COMPONENTS Development)
if(Java_FOUND)
  include(UseJava)
  file(REAL_PATH "${Java_JAVA_EXECUTABLE}" lumora_java_executable)
  cmake_path(GET lumora_java_executable PARENT_PATH lumora_java_bin)
  cmake_path(GET lumora_java_bin PARENT_PATH LUMORA_JAVA_HOME)
else()
  message(STATUS "No JDK: the demo application and the real-JVM tests are not built")
endif()
if(LUMORA_JAVA_HOME)
  # For the scripts: tools/bench.sh reads it.
  file(WRITE ${CMAKE_BINARY_DIR}/java-home.txt "${LUMORA_JAVA_HOME}")
endif()
