# The triplet storm through the real data source in every state, and the regressions it found.
mvl_test(twain_storm_tests TIMEOUT 400 SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/TripletStormTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EndXferOutsideBatchTests.cpp
  LIBS user32)
