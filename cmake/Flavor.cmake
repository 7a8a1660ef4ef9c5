# Settings shared by the three builds of the tree, and the helpers that the
# folders below use to add code and tests.
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)
enable_testing()

set(KX_NATIVE OFF)
set(KX_WINDOWS OFF)
set(KX_WIN32 OFF)
set(KX_WIN64 OFF)
if(KX_FLAVOR STREQUAL "native")
  set(KX_NATIVE ON)
elseif(KX_FLAVOR STREQUAL "win32")
  set(KX_WINDOWS ON)
  set(KX_WIN32 ON)
elseif(KX_FLAVOR STREQUAL "win64")
  set(KX_WINDOWS ON)
  set(KX_WIN64 ON)
else()
  message(FATAL_ERROR "KX_FLAVOR must be native, win32 or win64")
endif()

if(NOT KX_DIST_DIR)
  set(KX_DIST_DIR ${CMAKE_BINARY_DIR}/dist)
endif()
# Where the files that users get are checked: the dist folder itself, but
# for the x86-64 build of the 32-bit program the real 32-bit one.
if(NOT KX_SHIPPED_DIR)
  set(KX_SHIPPED_DIR ${KX_DIST_DIR})
endif()
if(NOT KX_SCREENSHOT_DIR)
  set(KX_SCREENSHOT_DIR ${CMAKE_BINARY_DIR}/screenshots)
endif()
set(KX_ROOT ${CMAKE_SOURCE_DIR})

add_compile_options(-Wall -Wextra -Wno-unused-parameter -Wno-missing-field-initializers)

if(KX_NATIVE)
  set(KX_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  # Coverage for the fuzz targets; harmless for the rest.
  add_compile_options(${KX_SANITIZE} -fsanitize=fuzzer-no-link)
  add_link_options(${KX_SANITIZE})
else()
  enable_language(RC)
  if(KX_WINE_RUN)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${KX_WINE_RUN})
  else()
    set(CMAKE_CROSSCOMPILING_EMULATOR ${KX_ROOT}/tools/wine-run)
  endif()
  # ANSI Win32, as the program speaks the system code page throughout.
  add_compile_definitions(WINVER=0x0601 _WIN32_WINNT=0x0601 _WIN32_IE=0x0800
                          NOMINMAX STRICT)
  add_link_options(-static -static-libgcc -static-libstdc++)
  set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001")
  # The 32-bit program built for x86-64 (on machines that run no 32-bit
  # code): MinGW's 64-bit comctl32 import library lacks GetWindowSubclass.
  if(KX_WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(kx_comctl32_extra ${CMAKE_BINARY_DIR}/libcomctl32_extra.a)
    file(WRITE ${CMAKE_BINARY_DIR}/comctl32_extra.def "LIBRARY comctl32.dll\nEXPORTS\nGetWindowSubclass\n")
    execute_process(COMMAND ${KX_TRIPLE}-dlltool -d ${CMAKE_BINARY_DIR}/comctl32_extra.def
                            -l ${kx_comctl32_extra} COMMAND_ERROR_IS_FATAL ANY)
    set(CMAKE_CXX_STANDARD_LIBRARIES "${CMAKE_CXX_STANDARD_LIBRARIES} ${kx_comctl32_extra}")
  endif()
  # windres reports no dependencies: a resource script depends on everything
  # it may include.
  file(GLOB_RECURSE KX_RC_INPUTS CONFIGURE_DEPENDS
    ${KX_ROOT}/res/*.rc ${KX_ROOT}/res/*.manifest ${KX_ROOT}/res/art/*
    ${KX_ROOT}/src/*_ids.h ${KX_ROOT}/tests/*.rc ${KX_ROOT}/tests/*_ids.h)
endif()

set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

include(GoogleTest)

# kx_test(<name> SOURCES <files> [LIBS <libs>] [GUI] [TIMEOUT <s>] [PREFIX <group>])
# A GoogleTest program whose cases become CTest tests named <flavor>.<Suite>.<Case>
# (<group>.<Suite>.<Case> with PREFIX).
# On Windows flavors the cases run under Wine and need the shared prefix; GUI
# cases also take the screen one at a time.
function(kx_test name)
  cmake_parse_arguments(T "GUI" "TIMEOUT;PREFIX" "SOURCES;LIBS" ${ARGN})
  if(NOT T_PREFIX)
    set(T_PREFIX ${KX_FLAVOR})
  endif()
  add_executable(${name} ${T_SOURCES})
  foreach(source ${T_SOURCES})
    if(source MATCHES "\\.rc$")
      set_property(SOURCE ${source} APPEND PROPERTY OBJECT_DEPENDS ${KX_RC_INPUTS})
    endif()
  endforeach()
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${KX_ROOT}/src ${KX_ROOT}/tests)
  target_compile_definitions(${name} PRIVATE
    KX_SOURCE_DIR="${KX_ROOT}" KX_SCREENSHOT_DIR="${KX_SCREENSHOT_DIR}"
    KX_DIST_DIR="${KX_DIST_DIR}" KX_SHIPPED_DIR="${KX_SHIPPED_DIR}")
  gtest_add_tests(TARGET ${name} SOURCES ${T_SOURCES}
                  TEST_PREFIX "${T_PREFIX}." TEST_LIST cases)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  # A case that ends in GTEST_SKIP checked nothing: CTest says so.
  set_tests_properties(${cases} PROPERTIES TIMEOUT ${T_TIMEOUT}
                       SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]")
  if(KX_WINDOWS)
    set_tests_properties(${cases} PROPERTIES FIXTURES_REQUIRED wine)
  endif()
  if(T_GUI)
    set_tests_properties(${cases} PROPERTIES RESOURCE_LOCK screen)
  endif()
endfunction()

# kx_fuzz(<name> SOURCES <files> LIBS <libs> [RUNS <n>])
# A libFuzzer target, native only, run as a test for a bounded number of
# iterations (seconds, not minutes). Seeds in tests/fuzz/corpus/<name>/ are
# used when present; tools/fuzz runs the same targets for longer from there.
function(kx_fuzz name)
  if(NOT KX_NATIVE)
    return()
  endif()
  cmake_parse_arguments(F "" "RUNS" "SOURCES;LIBS" ${ARGN})
  if(NOT F_RUNS)
    set(F_RUNS 20000)
  endif()
  add_executable(${name} ${F_SOURCES})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  target_include_directories(${name} PRIVATE ${KX_ROOT}/src)
  set(seeds)
  if(EXISTS ${KX_ROOT}/tests/fuzz/corpus/${name})
    set(seeds ${KX_ROOT}/tests/fuzz/corpus/${name})
  endif()
  # libFuzzer adds the units it finds to its first corpus folder: here one of
  # this run alone, removed when it ends, so that every run starts from the
  # committed seeds and nothing grows between runs.
  add_test(NAME native.fuzz.${name}
           COMMAND sh -c [[units=$(mktemp -d) || exit 1; trap 'rm -rf "$units"' EXIT; fuzzer=$1; shift; "$fuzzer" "$units" "$@"]]
                   sh $<TARGET_FILE:${name}> -runs=${F_RUNS} -max_len=8192 -seed=1 ${seeds})
  set_tests_properties(native.fuzz.${name} PROPERTIES TIMEOUT 120)
endfunction()
