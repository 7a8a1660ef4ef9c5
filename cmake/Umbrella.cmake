include(ExternalProject)
enable_testing()

set(KX_DIST_DIR ${CMAKE_BINARY_DIR}/dist)
set(KX_SCREENSHOT_DIR ${CMAKE_BINARY_DIR}/screenshots)
set(KX_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)

# Every build directory has its own Wine prefix, so that two checkouts or two
# build trees never share (or kill) each other's wineserver.
foreach(tool wine-run wine-fixture)
  file(WRITE ${CMAKE_BINARY_DIR}/${tool}
    "#!/bin/sh\nexport WINEPREFIX='${KX_WINEPREFIX}'\nexec '${CMAKE_SOURCE_DIR}/tools/${tool}' \"$@\"\n")
  file(CHMOD ${CMAKE_BINARY_DIR}/${tool} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endforeach()

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
               -DKX_WINE_RUN=${CMAKE_BINARY_DIR}/wine-run
               ${${flavor}_args}
    INSTALL_COMMAND ""
    BUILD_BYPRODUCTS ${${flavor}_products}
    BUILD_ALWAYS ON
    LOG_CONFIGURE ON LOG_BUILD ON LOG_OUTPUT_ON_FAILURE ON)
endforeach()
# The 32-bit tests start the 64-bit extension and test host, so that build
# must be there first.
ExternalProject_Add_StepDependencies(win32 build win64)

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
foreach(flavor native win32 win64)
  file(APPEND ${include_file} "subdirs(\"${CMAKE_BINARY_DIR}/${flavor}\")\n")
endforeach()
set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${include_file})
