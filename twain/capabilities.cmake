# Capability negotiation: the portable table, containers and scan values, built natively too,
# and the Windows side (movable global memory, the triplet handler) in the data source.
mvl_portable_library(mvl_capabilities
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/CapItems.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CapContainers.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CapValueStore.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CapTable.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ScanValues.cpp
  LIBS mvl_trace)

if(WIN32)
  # MsgCapability.cpp and CapabilityTable.cpp are listed with the core sources.
  target_link_libraries(mvlTWAIN64 PRIVATE mvl_capabilities)
endif()
