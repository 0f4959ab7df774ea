# The control messages' companions: the UI factory and implementation that own the scanning dialog.
if(WIN32)
  target_sources(mvlTWAIN64 PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/UIFactory.cpp
    ${CMAKE_CURRENT_LIST_DIR}/UIImp.cpp
  )
endif()

if(WIN32)
  # The disable ends the device job and resets the transfer flags.
  target_link_libraries(mvlTWAIN64 PRIVATE mvl_xfer_core)
endif()
