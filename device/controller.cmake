# The scan controller: the space checks are portable; the controller itself, its device
# callbacks and the scan-time dialogs are part of the data source.
mvl_portable_library(mvl_controller_core SOURCES SpaceCheck.cpp)

if(WIN32)
  target_sources(mvlTWAIN64 PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/ScanController.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ScanMessages.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TestSeams.cpp
  )
  target_link_libraries(mvlTWAIN64 PRIVATE mvl_controller_core)
endif()
