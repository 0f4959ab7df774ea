# The triplet storm through the real data source in every state, and the regressions it found.
# The states 5 to 7 need the simulated scanner and a recording source manager (tests/transfer).
if(WIN32)
  mvl_test(twain_storm_tests TIMEOUT 400 SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/TripletStormTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TripletStorm.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TripletStormMoves.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StormWatchdog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ProcessUsage.cpp
    ${CMAKE_CURRENT_LIST_DIR}/EndXferOutsideBatchTests.cpp
    ${CMAKE_SOURCE_DIR}/tests/transfer/AcquisitionFixture.cpp
    LIBS mvl_sim_core mvl_settings mvl_device_params user32)
  add_dependencies(twain_storm_tests mvlxferdsm mvlTWAIN64 mvllld)
endif()
