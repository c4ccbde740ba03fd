# Cross build for 32-bit Windows with Debian's MinGW-w64 (the posix thread model, which has
# std::mutex for GoogleTest). Programs run under Wine for the tests.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(LUMORA_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_C_COMPILER ${LUMORA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LUMORA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${LUMORA_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${LUMORA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/wine/run.sh)
