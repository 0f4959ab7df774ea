# Capability negotiation: the portable core with a fake host (natively with sanitizers, and
# under Wine), and the whole negotiation through the real data source under Wine.
mvl_test(capability_core_tests PORTABLE SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/CapabilityCoreTests.cpp
  LIBS mvl_capabilities)

mvl_test(twain_capability_tests SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/CapabilityTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CapabilityLayoutTests.cpp
  TIMEOUT 300)
