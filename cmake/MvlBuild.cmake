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
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 600)
  endif()
  if(WIN32)
    target_link_libraries(${name} PRIVATE mvl_win_defaults mvl_testmain)
    add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
    set_tests_properties(${name} PROPERTIES
      FIXTURES_REQUIRED wineprefix
      ENVIRONMENT "WINEPREFIX=${MVL_WINEPREFIX};WINEDEBUG=-all;MVL_TEST_ARTIFACTS=Z:${CMAKE_BINARY_DIR}/artifacts;MVL_GALLERY=Z:${CMAKE_BINARY_DIR}/gallery;MVL_SOURCE_DIR=Z:${CMAKE_SOURCE_DIR}"
      TIMEOUT ${A_TIMEOUT})
  else()
    target_link_libraries(${name} PRIVATE GTest::gtest_main GTest::gmock)
    add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
    set_tests_properties(${name} PROPERTIES TIMEOUT ${A_TIMEOUT}
      ENVIRONMENT "MVL_TEST_ARTIFACTS=${CMAKE_BINARY_DIR}/artifacts;MVL_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
  endif()
endfunction()
