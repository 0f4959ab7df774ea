# The raster image, the spool and the application link under Wine, with a recording
# stand-in for the source manager.
if(NOT WIN32)
  return()
endif()

add_library(mvlfakedsm SHARED ${CMAKE_CURRENT_SOURCE_DIR}/FakeDsm.cpp)
set_target_properties(mvlfakedsm PROPERTIES PREFIX "" OUTPUT_NAME "mvlfakedsm")
target_include_directories(mvlfakedsm PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(mvlfakedsm PRIVATE mvl_win_defaults)

mvl_test(transfer_image_tests SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/ImageTests.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ImageScreenshotTest.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/AppLinkTests.cpp
  LIBS mvl_transfer_image
)
add_dependencies(transfer_image_tests mvlfakedsm)
