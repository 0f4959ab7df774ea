# What scan control needs of the device side: the space checks (portable), the system's free
# space and memory, the scan messages and the test seams (part of the data source). The scan
# controller itself lives with the scanning dialog in ui/.
mvl_portable_library(mvl_controller_core SOURCES SpaceCheck.cpp)

if(WIN32)
  target_sources(mvlTWAIN64 PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/SystemSpace.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ScanMessages.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TestSeams.cpp
  )
  target_link_libraries(mvlTWAIN64 PRIVATE mvl_controller_core)
endif()
