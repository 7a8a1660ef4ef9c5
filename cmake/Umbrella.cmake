include(ExternalProject)
enable_testing()

set(KX_DIST_DIR ${CMAKE_BINARY_DIR}/dist)
set(KX_SCREENSHOT_DIR ${CMAKE_BINARY_DIR}/screenshots)
set(KX_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)

# How this machine runs 32-bit code (tools/i386-emulation): natively, only
# through an emulator (a kernel without 32-bit support, see tools/setup), or
# not at all. Where it is not native, the 32-bit program's code is built a
# second time for x86-64 (the win32x64 build: the win32 flavor with the
# 64-bit compiler) and the bulk of its tests run there under the 64-bit
# loader. The shipped 32-bit files are built the same way everywhere, and the
# shipped group of tests (tests/shipped) runs them as they are, emulated
# where it must.
execute_process(COMMAND ${CMAKE_SOURCE_DIR}/tools/i386-emulation state
                OUTPUT_VARIABLE KX_I386 OUTPUT_STRIP_TRAILING_WHITESPACE)
if(KX_I386 STREQUAL "native")
  set(KX_WIN32_TESTS win32)
  set(kx_loader "")
else()
  set(KX_WIN32_TESTS win32x64)
  set(kx_loader "export KX_WINE_LOADER=/usr/lib/wine/wine64\n")
  message(STATUS "32-bit code runs here: ${KX_I386}; the 32-bit program's tests run in its x86-64 build")
endif()

# Every build directory has its own Wine prefix, so that two checkouts or two
# build trees never share (or kill) each other's wineserver.
foreach(tool wine-run wine-fixture)
  file(WRITE ${CMAKE_BINARY_DIR}/${tool}
    "#!/bin/sh\nexport WINEPREFIX='${KX_WINEPREFIX}'\n${kx_loader}exec '${CMAKE_SOURCE_DIR}/tools/${tool}' \"$@\"\n")
  file(CHMOD ${CMAKE_BINARY_DIR}/${tool} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endforeach()

# Compiles go through ccache where it is there: worktrees and clean clones on
# one machine then share what was compiled before (tools/build sets it up).
find_program(KX_CCACHE ccache)
set(launcher_args "")
if(KX_CCACHE)
  set(launcher_args -DCMAKE_C_COMPILER_LAUNCHER=${KX_CCACHE} -DCMAKE_CXX_COMPILER_LAUNCHER=${KX_CCACHE})
endif()
set(native_args -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++)
set(win32_args -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/toolchain-i686.cmake)
set(win64_args -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/toolchain-x86_64.cmake)
include(cmake/Installer.cmake)

foreach(flavor native win32 win64)
  ExternalProject_Add(${flavor}
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${CMAKE_BINARY_DIR}/${flavor}
    CMAKE_GENERATOR Ninja
    CMAKE_ARGS -DKX_FLAVOR=${flavor}
               -DCMAKE_BUILD_TYPE=RelWithDebInfo
               -DKX_DIST_DIR=${KX_DIST_DIR}
               -DKX_SCREENSHOT_DIR=${KX_SCREENSHOT_DIR}
               -DKX_WIN64_DIR=${CMAKE_BINARY_DIR}/win64
               -DKX_WIN32_DIR=${CMAKE_BINARY_DIR}/win32
               -DKX_WINE_RUN=${CMAKE_BINARY_DIR}/wine-run
               ${launcher_args}
               ${${flavor}_args}
    INSTALL_COMMAND ""
    BUILD_BYPRODUCTS ${${flavor}_products}
    BUILD_ALWAYS ON
    LOG_CONFIGURE ON LOG_BUILD ON LOG_OUTPUT_ON_FAILURE ON)
endforeach()
# The 32-bit tests start the 64-bit extension and test host, so that build
# must be there first.
ExternalProject_Add_StepDependencies(win32 build win64)
if(KX_WIN32_TESTS STREQUAL "win32x64")
  set(standin_dist ${CMAKE_BINARY_DIR}/win32x64/dist)
  ExternalProject_Add(win32x64
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${CMAKE_BINARY_DIR}/win32x64
    CMAKE_GENERATOR Ninja
    CMAKE_ARGS -DKX_FLAVOR=win32
               -DCMAKE_BUILD_TYPE=RelWithDebInfo
               -DKX_DIST_DIR=${standin_dist}
               -DKX_SHIPPED_DIR=${KX_DIST_DIR}
               -DKX_SCREENSHOT_DIR=${KX_SCREENSHOT_DIR}
               -DKX_WIN64_DIR=${CMAKE_BINARY_DIR}/win64
               -DKX_WIN32_DIR=${CMAKE_BINARY_DIR}/win32
               -DKX_WINE_RUN=${CMAKE_BINARY_DIR}/wine-run
               ${launcher_args}
               ${win64_args}
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    LOG_CONFIGURE ON LOG_BUILD ON LOG_OUTPUT_ON_FAILURE ON)
  # Its tests check the shipped files and register the 64-bit extension
  # from beside the program.
  ExternalProject_Add_Step(win32x64 extension
    COMMAND ${CMAKE_COMMAND} -E make_directory ${standin_dist}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${KX_DIST_DIR}/KXMExt64.dll ${standin_dist}/
    DEPENDEES build ALWAYS ON)
  ExternalProject_Add_StepDependencies(win32x64 build win64 win32)
endif()

# One Wine prefix and one wineserver for the whole run.
add_test(NAME wine.start COMMAND ${CMAKE_BINARY_DIR}/wine-fixture start)
add_test(NAME wine.stop COMMAND ${CMAKE_BINARY_DIR}/wine-fixture stop)
set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
set_tests_properties(wine.stop PROPERTIES FIXTURES_CLEANUP wine)

# No folder includes a header of a folder above it, and the check itself
# refuses what it must.
add_test(NAME layers.includes COMMAND ${CMAKE_SOURCE_DIR}/tools/check-layers ${CMAKE_SOURCE_DIR})
add_test(NAME layers.check COMMAND ${CMAKE_SOURCE_DIR}/tests/layers/check_layers_test)

set(include_file ${CMAKE_BINARY_DIR}/FlavorTests.cmake)
file(WRITE ${include_file} "")
foreach(flavor native ${KX_WIN32_TESTS} win64)
  file(APPEND ${include_file} "subdirs(\"${CMAKE_BINARY_DIR}/${flavor}\")\n")
endforeach()
set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${include_file})
