# GoogleTest for the MinGW cross-build, compiled from the sources that
# Debian's googletest package installs under /usr/src/googletest. Nothing is
# downloaded. Gives the same targets as the system package's GTest config.
set(VARNLINK_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source folder")
if(NOT EXISTS ${VARNLINK_GTEST_SOURCE}/CMakeLists.txt)
  set(GTest_FOUND FALSE)
  set(GTest_NOT_FOUND_MESSAGE
      "${VARNLINK_GTEST_SOURCE}: no GoogleTest sources (install Debian's googletest package)")
  return()
endif()
if(NOT TARGET gtest)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(${VARNLINK_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/_googletest EXCLUDE_FROM_ALL)
endif()
foreach(lib gtest gtest_main gmock gmock_main)
  if(NOT TARGET GTest::${lib})
    add_library(GTest::${lib} ALIAS ${lib})
  endif()
endforeach()
set(GTest_FOUND TRUE)
