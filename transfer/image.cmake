# The raster image, the spool mapping and the application link.
# Pixel layout rules and the host program table are portable (tested natively with sanitizers);
# the image object, the spool file and the notifications are Windows code in one library that
# the data source and the tests link.
mvl_portable_library(mvl_image_rules SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/ImagePixels.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/AppTable.cpp
)

if(WIN32)
  add_library(mvl_transfer_image STATIC
    ${CMAKE_CURRENT_SOURCE_DIR}/DataMapFile.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/Image.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/AppLink.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/ManagerEntry.cpp
  )
  target_include_directories(mvl_transfer_image PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(mvl_transfer_image PUBLIC mvl_image_rules mvl_trace gdi32 user32 PRIVATE mvl_win_defaults)
  target_link_libraries(mvlTWAIN64 PRIVATE mvl_transfer_image)
endif()
