# Build conventions shared by every folder.

add_library(mvl_warnings INTERFACE)
target_compile_options(mvl_warnings INTERFACE -Wall -Wextra -Wno-unused-parameter -Wno-missing-field-initializers)

if(WIN32)
  # Everything Windows links statically so that the DLLs import nothing but
  # Windows system DLLs (no libgcc, libstdc++ or winpthread DLLs).
  add_library(mvl_win_defaults INTERFACE)
  target_compile_definitions(mvl_win_defaults INTERFACE NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601 _UNICODE_NOT_USED)
  target_link_options(mvl_win_defaults INTERFACE -static -static-libgcc -static-libstdc++)
  target_link_libraries(mvl_win_defaults INTERFACE mvl_warnings)
  set(MVL_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix CACHE PATH "Wine prefix the tests run in")
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/cmake/wine-run.sh)
else()
  if(MVL_FUZZ)
    # Everything the fuzzers reach is instrumented for coverage and sanitizers.
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all)
    add_link_options(-fsanitize=address,undefined)
  elseif(MVL_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
  endif()
endif()

# A library of portable code (no <windows.h>), built in both trees.
function(mvl_portable_library name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${A_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${A_LIBS} PRIVATE mvl_warnings)
  if(WIN32)
    target_link_libraries(${name} PRIVATE mvl_win_defaults)
  endif()
endfunction()

# Test code is most of what a build compiles, and most of a test unit's time went into parsing
# GoogleTest (and windows.h) and optimising test bodies. So test programs are built with light
# optimisation and line tables only (enough for the sanitizers' reports), and they reuse headers
# precompiled once per tree: GoogleTest, and windows.h too for the Windows-only programs. Code of
# the product listed in a test program's sources keeps its own flags' headers (no precompiled
# header is forced into it). tests/CMakeLists.txt makes the two precompiled-header targets.
set(MVL_TEST_COMPILE_OPTIONS -O1 -g1)

function(mvl_test_pch name)
  set(anchor ${CMAKE_CURRENT_BINARY_DIR}/${name}.cpp)
  if(NOT EXISTS ${anchor})
    file(WRITE ${anchor} "// The unit the precompiled headers are built with.\n")
  endif()
  add_library(${name} OBJECT ${anchor})
  target_link_libraries(${name} PRIVATE gtest mvl_warnings)
  if(WIN32)
    target_link_libraries(${name} PRIVATE mvl_win_defaults)
  endif()
  target_compile_options(${name} PRIVATE ${MVL_TEST_COMPILE_OPTIONS})
  if(NOT WIN32 AND CMAKE_POSITION_INDEPENDENT_CODE)
    # Compiled as the programs' own units are (-fPIE), or the compiler refuses the header.
    set_target_properties(${name} PROPERTIES POSITION_INDEPENDENT_CODE OFF)
    target_compile_options(${name} PRIVATE -fPIE)
  endif()
  target_precompile_headers(${name} PRIVATE ${ARGN})
endfunction()

# Test flags and the precompiled headers for a target of test code (bWindowsOnly: windows.h too).
function(mvl_test_build_speed target bWindowsOnly)
  target_compile_options(${target} PRIVATE ${MVL_TEST_COMPILE_OPTIONS})
  set(pch mvl_test_pch_gtest)
  if(bWindowsOnly AND WIN32)
    set(pch mvl_test_pch_windows)
  endif()
  if(NOT TARGET ${pch})
    return()
  endif()
  target_precompile_headers(${target} REUSE_FROM ${pch})
  get_target_property(sources ${target} SOURCES)
  foreach(src ${sources})
    get_filename_component(path ${src} ABSOLUTE)
    if(NOT path MATCHES "^${CMAKE_SOURCE_DIR}/tests/")
      set_source_files_properties(${src} PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
    endif()
  endforeach()
endfunction()

# A GoogleTest executable registered as one CTest test.
#   PORTABLE: built and run in both trees (natively, and under Wine)
#   NATIVE:   native tree only
#   default:  Windows tree only, run under Wine in the test prefix
function(mvl_test name)
  cmake_parse_arguments(A "PORTABLE;NATIVE" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(A_NATIVE AND WIN32)
    return()
  endif()
  if(NOT A_NATIVE AND NOT A_PORTABLE AND NOT WIN32)
    return()
  endif()
  add_executable(${name} ${A_SOURCES})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${A_LIBS} mvl_warnings)
  if(A_PORTABLE OR A_NATIVE)
    mvl_test_build_speed(${name} FALSE)
  else()
    mvl_test_build_speed(${name} TRUE)
  endif()
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 600)
  endif()
  if(WIN32)
    target_link_libraries(${name} PRIVATE mvl_win_defaults mvl_testmain)
    add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
    # A lane of its own (tests/harness/CMakeLists.txt): a prefix, display and server.
    set_tests_properties(${name} PROPERTIES
      FIXTURES_REQUIRED wineprefix
      RESOURCE_GROUPS lanes:1
      ENVIRONMENT "WINEPREFIX=${MVL_WINEPREFIX};WINEDEBUG=-all;MVL_TEST_ARTIFACTS=Z:${CMAKE_BINARY_DIR}/artifacts;MVL_GALLERY=Z:${CMAKE_BINARY_DIR}/gallery;MVL_SOURCE_DIR=Z:${CMAKE_SOURCE_DIR}"
      TIMEOUT ${A_TIMEOUT})
  else()
    target_link_libraries(${name} PRIVATE GTest::gtest_main GTest::gmock)
    add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
    set_tests_properties(${name} PROPERTIES TIMEOUT ${A_TIMEOUT}
      ENVIRONMENT "MVL_TEST_ARTIFACTS=${CMAKE_BINARY_DIR}/artifacts;MVL_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
  endif()
endfunction()
