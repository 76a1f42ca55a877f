# GoogleTest for the cross build, compiled from Debian's sources
# (/usr/src/googletest) with the target's compiler.
if(NOT TARGET GTest::gtest)
  set(KV_GOOGLETEST_SOURCE /usr/src/googletest)
  if(NOT EXISTS ${KV_GOOGLETEST_SOURCE}/CMakeLists.txt)
    message(FATAL_ERROR "${KV_GOOGLETEST_SOURCE} is missing: run scripts/setup")
  endif()
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(${KV_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # Not our code: our warning options (and -Werror) do not apply to it.
  foreach(target gtest gtest_main gmock gmock_main)
    set_property(TARGET ${target} PROPERTY COMPILE_OPTIONS "")
  endforeach()
endif()
set(GTest_FOUND TRUE)
