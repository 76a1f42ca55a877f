# Cross-building for 64-bit Windows with Debian's MinGW-w64 (the posix-threads
# variant: the library uses std::thread and std::mutex). Programs are linked
# statically, so kv7700ctl.exe needs no MinGW DLL beside it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KV_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KV_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KV_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KV_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KV_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# -O1: the tool waits on the sensor, not on the processor, and the cross
# build (with its tests) compiles in a fraction of -O3's time.
set(CMAKE_CXX_FLAGS_RELEASE "-O1 -DNDEBUG" CACHE STRING "")

# The header-only libraries and GoogleTest come from the build machine's
# Debian packages, without its system headers (cmake/mingw/).
set(CLI11_DIR ${CMAKE_CURRENT_LIST_DIR}/mingw CACHE PATH "")
set(nlohmann_json_DIR ${CMAKE_CURRENT_LIST_DIR}/mingw CACHE PATH "")
set(GTest_DIR ${CMAKE_CURRENT_LIST_DIR}/mingw CACHE PATH "")

# Test programs run under Wine on the build machine.
find_program(KV_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(KV_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KV_WINE64})
endif()
